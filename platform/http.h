// HTTP requests and a TCP connectivity test of the host layer.
//
// Requests go through libcurl. Every request has a connection timeout and an
// overall timeout; the calling thread sleeps in the library's poll while it
// waits (no busy loop). Only http and https URLs are served; redirects are not
// followed; the reply is bounded in size.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plat {

struct HttpRequestSpec {
  std::string method = "GET";  // "GET" or "POST"
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
  std::vector<uint8_t> body;                                  // sent with POST
  long connectTimeoutMs = 10000;
  long timeoutMs = 30000;
  size_t maxReplyBytes = size_t(64) << 20;
};

struct HttpReply {
  long status = 0;            // HTTP status code; 0 when no reply came
  std::vector<uint8_t> body;  // the bytes that arrived, also after a failure
  std::string error;          // why the transfer failed; "" on success
};

// Performs one request and blocks until the reply is complete, the timeout
// passes or the transfer fails. True when a whole reply arrived, whatever its
// status code.
[[nodiscard]] bool HttpPerform(const HttpRequestSpec& request, HttpReply* reply);

// The host name and port of an http or https URL (the scheme's default port
// when the URL gives none). False for anything else.
[[nodiscard]] bool GetUrlHostAndPort(const std::string& url, std::string* host, uint16_t* port);

// True when a TCP connection to host:port can be opened within the timeout;
// the connection is closed again at once.
[[nodiscard]] bool CanConnectTcp(const std::string& host, uint16_t port, int timeoutMs);

}  // namespace plat
