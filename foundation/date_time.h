// A moment in time with its calendar fields in the system's time zone.
//
// The time zone is the process's (TZ, through the C library), read each time
// the fields are computed.
#pragma once

#include "platform/catalog.h"

class CDateTime {
 public:
  // The current time.
  CDateTime();
  ~CDateTime() = default;

  void SetToNow();
  void SetFrom(CFAbsoluteTime time);
  void SetFromUtcDateTime(const UTCDateTime& date);

  CFAbsoluteTime GetAbsoluteTime() const { return time_; }
  int GetMonth() const { return month_; }  // 1..12
  int GetDay() const { return day_; }
  int GetYear() const { return year_; }
  // ISO 8601 week number, 1..53.
  int GetWeekOfYear() const { return weekOfYear_; }

 private:
  void Compute();

  CFAbsoluteTime time_ = 0;
  int month_ = 0, day_ = 0, year_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
  int weekOfYear_ = 0;
};
