// A small HTTP client.
//
// `CHttpRequest` sends one GET or POST to an absolute http or https URL and
// keeps the reply's bytes. Requests block the calling thread until the reply
// is complete or a timeout passes; nothing spins while it waits.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/mac_types.h"

class CHttpRequest {
 public:
  enum : int { kMethodGet = 0, kMethodPost = 1 };

  CHttpRequest(const char* url, int method);
  // The URL is the localized string of that number ("" when missing).
  CHttpRequest(int urlStringNumber, int method);
  ~CHttpRequest();

  CHttpRequest(const CHttpRequest&) = delete;
  CHttpRequest& operator=(const CHttpRequest&) = delete;

  void SetUrl(const char* url);  // null clears
  void SetUrlFromStringNumber(int urlStringNumber);
  const std::string& GetUrl() const { return url_; }

  // Synchronous: GET or POST by the method. Asynchronous: POST only; the
  // host has no run loop to deliver a reply later, so the request is made at
  // once, its reply lands in the response, and the result is false.
  [[nodiscard]] bool Send(bool synchronous);
  [[nodiscard]] bool Get();
  [[nodiscard]] bool Post();
  bool PostAsync();

  // The received bytes (not 0-terminated) and their count.
  const UInt8* GetResponseData() const { return response_.data(); }
  SInt32 GetResponseLength() const { return SInt32(response_.size()); }
  // The reply's HTTP status code; 0 before a reply came.
  long GetStatusCode() const { return status_; }

  void SetBody(const void* data, size_t n);
  void AddHeader(const char* name, const char* value);
  // "Name: value"; one space after the ':' is skipped; a line without ':'
  // is ignored.
  void AddHeaderLine(const char* line);
  // Header lines (split at CR and LF) up to the first 0 byte of the text; the
  // bytes after that 0 byte up to n are the body.
  void SetRequestText(const char* text, size_t n);
  const std::vector<std::pair<std::string, std::string>>& GetHeaders() const { return headers_; }

  // Opens the URL in the user's browser.
  [[nodiscard]] bool OpenInBrowser();

 private:
  [[nodiscard]] bool Perform(bool post);

  std::string url_;
  std::vector<UInt8> response_;
  std::vector<UInt8> body_;
  int method_;
  long status_ = 0;
  std::vector<std::pair<std::string, std::string>> headers_;
};

// True when a GET of the URL succeeds with some bytes.
[[nodiscard]] bool UrlHasContent(const char* url);
