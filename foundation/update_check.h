// The software-update check.
//
// `CUpdateCheck` asks the update service for the newest version of a product
// and compares it with the running version. The service's address is
// configuration: the environment variable GLIMMERBOX_UPDATE_URL, else the
// key "GlimmerboxUpdateURL" of the application bundle's Info.plist. With
// neither, the check reports that the service cannot be reached, without
// touching the network.
#pragma once

#include <string>

#include "platform/mac_types.h"

class CUpdateCheck {
 public:
  CUpdateCheck();

  // Asks for the newest version of `productCode`; true when the service
  // answered with a version ("<major>.<minor>").
  [[nodiscard]] bool Check(int productCode, int currentMajor, int currentMinor);
  [[nodiscard]] bool IsNewerAvailable() const;

  SInt32 GetLatestMajor() const { return latestMajor_; }
  SInt32 GetLatestMinor() const { return latestMinor_; }
  const std::string& GetQueryUrl() const { return queryUrl_; }

 private:
  SInt32 currentMajor_ = 0;
  SInt32 currentMinor_ = 0;
  SInt32 latestMajor_ = 0;
  SInt32 latestMinor_ = 0;
  std::string queryUrl_;
};

// The configured address of the update service ("" when none).
std::string GetUpdateServiceUrl();

// True when a TCP connection to the update service's host opens within a few
// seconds; false when no service is configured.
[[nodiscard]] bool CanReachInternet();

// Reads a reply of the form digits '.' digits (white space around it
// allowed); false for anything else.
[[nodiscard]] bool ParseVersionReply(const std::string& reply, SInt32* major, SInt32* minor);
