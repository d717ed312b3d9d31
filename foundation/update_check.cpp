#include "foundation/update_check.h"

#include <cstdlib>

#include "foundation/http_request.h"
#include "platform/http.h"
#include "platform/property_list.h"

namespace {

// Added to the product code in the query.
constexpr int kProductCodeOffset = 5762;
constexpr int kConnectTimeoutMs = 5000;
// A version number part longer than this is no version number.
constexpr size_t kMaxVersionDigits = 9;

[[nodiscard]] bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

[[nodiscard]] bool ReadNumber(const std::string& text, SInt32* out) {
  if (text.empty() || text.size() > kMaxVersionDigits) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *out = SInt32(std::atol(text.c_str()));
  return true;
}

}  // namespace

std::string GetUpdateServiceUrl() {
  const char* configured = std::getenv("GLIMMERBOX_UPDATE_URL");
  if (configured && *configured) return configured;
  return plat::BundleInfoString("GlimmerboxUpdateURL");
}

bool CanReachInternet() {
  std::string host;
  uint16_t port = 0;
  return plat::GetUrlHostAndPort(GetUpdateServiceUrl(), &host, &port) &&
         plat::CanConnectTcp(host, port, kConnectTimeoutMs);
}

bool ParseVersionReply(const std::string& reply, SInt32* major, SInt32* minor) {
  size_t start = 0, end = reply.size();
  while (start < end && IsSpace(reply[start])) ++start;
  while (end > start && IsSpace(reply[end - 1])) --end;
  std::string text = reply.substr(start, end - start);
  size_t dot = text.find('.');
  SInt32 first = 0, second = 0;
  if (dot == std::string::npos || !ReadNumber(text.substr(0, dot), &first) ||
      !ReadNumber(text.substr(dot + 1), &second))
    return false;
  *major = first;
  *minor = second;
  return true;
}

CUpdateCheck::CUpdateCheck() = default;

bool CUpdateCheck::Check(int productCode, int currentMajor, int currentMinor) {
  if (!CanReachInternet()) return false;
  latestMajor_ = 0;
  latestMinor_ = 0;
  currentMajor_ = currentMajor;
  currentMinor_ = currentMinor;
  std::string base = GetUpdateServiceUrl();
  while (!base.empty() && base.back() == '/') base.pop_back();
  queryUrl_ = base + "/swupdate/swvers.php?pcd=" + std::to_string(productCode + kProductCodeOffset);
  CHttpRequest request(queryUrl_.c_str(), CHttpRequest::kMethodGet);
  // An error page is no answer, whatever it holds.
  if (!request.Get() || request.GetStatusCode() != 200) return false;
  const UInt8* data = request.GetResponseData();
  std::string reply(data, data + request.GetResponseLength());
  return ParseVersionReply(reply, &latestMajor_, &latestMinor_);
}

bool CUpdateCheck::IsNewerAvailable() const {
  return latestMajor_ > currentMajor_ ||
         (latestMajor_ == currentMajor_ && latestMinor_ > currentMinor_);
}
