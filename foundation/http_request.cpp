#include "foundation/http_request.h"

#include <cstring>

#include "foundation/string_buffer.h"
#include "platform/http.h"
#include "platform/launcher.h"

namespace {

// URLs are ASCII without spaces or control characters; anything else is
// refused rather than sent in some guessed encoding.
[[nodiscard]] bool IsUrlText(const std::string& url) {
  if (url.empty()) return false;
  for (char c : url) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) return false;
  }
  return true;
}

std::string LocalizedUrl(int number) {
  CStringBuffer text;
  // A missing string comes back as its number, which is no URL.
  if (!text.LoadLocalizedString(number) || std::strcmp(text.GetText(), std::to_string(number).c_str()) == 0)
    return std::string();
  return text.GetText();
}

}  // namespace

CHttpRequest::CHttpRequest(const char* url, int method) : url_(url ? url : ""), method_(method) {}

CHttpRequest::CHttpRequest(int urlStringNumber, int method)
    : url_(LocalizedUrl(urlStringNumber)), method_(method) {}

CHttpRequest::~CHttpRequest() = default;

void CHttpRequest::SetUrl(const char* url) { url_ = url ? url : ""; }

void CHttpRequest::SetUrlFromStringNumber(int urlStringNumber) {
  url_ = LocalizedUrl(urlStringNumber);
}

bool CHttpRequest::Send(bool synchronous) {
  if (!synchronous) return method_ == kMethodPost ? PostAsync() : false;
  if (method_ == kMethodGet) return Get();
  if (method_ == kMethodPost) return Post();
  return false;
}

bool CHttpRequest::Perform(bool post) {
  response_.clear();
  status_ = 0;
  if (!IsUrlText(url_)) return false;
  plat::HttpRequestSpec request;
  request.url = url_;
  if (post) {
    request.method = "POST";
    request.headers = headers_;
    request.body = body_;
  }
  plat::HttpReply reply;
  bool complete = plat::HttpPerform(request, &reply);
  response_.swap(reply.body);
  status_ = reply.status;
  return complete;
}

bool CHttpRequest::Get() { return Perform(false); }

// A POST succeeds only when the reply brought some bytes.
bool CHttpRequest::Post() { return Perform(true) && !response_.empty(); }

bool CHttpRequest::PostAsync() {
  // The reply, or its absence, lands in the response; the request itself
  // reports false, as nothing is left running.
  static_cast<void>(Perform(true));
  return false;
}

void CHttpRequest::SetBody(const void* data, size_t n) {
  const UInt8* bytes = static_cast<const UInt8*>(data);
  body_.assign(bytes, bytes && n ? bytes + n : bytes);
}

void CHttpRequest::AddHeader(const char* name, const char* value) {
  headers_.emplace_back(name ? name : "", value ? value : "");
}

void CHttpRequest::AddHeaderLine(const char* line) {
  if (!line) return;
  const char* colon = std::strchr(line, ':');
  if (!colon) return;
  const char* value = colon + 1;
  if (*value == ' ') ++value;
  headers_.emplace_back(std::string(line, size_t(colon - line)), value);
}

void CHttpRequest::SetRequestText(const char* text, size_t n) {
  if (!text) return;
  size_t headLength = strnlen(text, n);
  std::string head(text, headLength);
  size_t start = 0;
  while (start < head.size()) {
    size_t end = head.find_first_of("\r\n", start);
    if (end == std::string::npos) end = head.size();
    if (end > start) AddHeaderLine(head.substr(start, end - start).c_str());
    start = end + 1;
  }
  // The 0 byte separates the two parts and belongs to neither.
  if (headLength < n) SetBody(text + headLength + 1, n - headLength - 1);
}

bool CHttpRequest::OpenInBrowser() { return IsUrlText(url_) && plat::OpenUrl(url_); }

bool UrlHasContent(const char* url) {
  CHttpRequest request(url, CHttpRequest::kMethodGet);
  return request.Get() && request.GetStatusCode() / 100 == 2 && request.GetResponseLength() > 0;
}
