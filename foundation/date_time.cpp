#include "foundation/date_time.h"

#include "platform/system_info.h"

CDateTime::CDateTime() { SetToNow(); }

void CDateTime::SetToNow() { SetFrom(plat::CurrentAbsoluteTime()); }

void CDateTime::SetFrom(CFAbsoluteTime time) {
  time_ = time;
  Compute();
}

void CDateTime::SetFromUtcDateTime(const UTCDateTime& date) {
  SetFrom(plat::UtcDateTimeToAbsoluteTime(date));
}

void CDateTime::Compute() {
  plat::CalendarDate date;
  if (!plat::AbsoluteTimeToCalendar(time_, &date)) date = plat::CalendarDate();
  year_ = date.year;
  month_ = date.month;
  day_ = date.day;
  hour_ = date.hour;
  minute_ = date.minute;
  second_ = int(date.second);
  weekOfYear_ = date.weekOfYear;
}
