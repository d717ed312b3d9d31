#include "platform/http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>

namespace plat {
namespace {

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Receiver {
  HttpReply* reply;
  size_t limit;
  bool tooLarge = false;
};

size_t ReceiveBytes(char* data, size_t size, size_t count, void* context) {
  Receiver* receiver = static_cast<Receiver*>(context);
  size_t n = size * count;
  std::vector<uint8_t>& body = receiver->reply->body;
  if (body.size() + n > receiver->limit) {
    receiver->tooLarge = true;
    return 0;  // ends the transfer
  }
  body.insert(body.end(), data, data + n);
  return n;
}

}  // namespace

bool HttpPerform(const HttpRequestSpec& request, HttpReply* reply) {
  *reply = HttpReply();
  bool post = request.method == "POST";
  if (!post && request.method != "GET") {
    reply->error = "unsupported method " + request.method;
    return false;
  }
  std::string host;
  uint16_t port = 0;
  if (!GetUrlHostAndPort(request.url, &host, &port)) {
    reply->error = "not an http URL: " + request.url;
    return false;
  }
  InitialiseCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) {
    reply->error = "cannot start a transfer";
    return false;
  }
  Receiver receiver{reply, request.maxReplyBytes};
  char errorText[CURL_ERROR_SIZE] = "";
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : request.headers) {
    std::string line = name;
    line += ": ";
    line += value;
    headers = curl_slist_append(headers, line.c_str());
  }
  // No "Expect: 100-continue" round trip before a POST body.
  if (post) headers = curl_slist_append(headers, "Expect:");

  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, ReceiveBytes);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receiver);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  if (post) {
    static const char kEmpty[] = "";
    const void* body = request.body.empty() ? static_cast<const void*>(kEmpty)
                                            : static_cast<const void*>(request.body.data());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
  }

  CURLcode result = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply->status);
  if (receiver.tooLarge) {
    reply->error = "the reply is too large";
  } else if (result != CURLE_OK) {
    reply->error = errorText[0] ? errorText : curl_easy_strerror(result);
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return reply->error.empty();
}

bool GetUrlHostAndPort(const std::string& url, std::string* host, uint16_t* port) {
  CURLU* parsed = curl_url();
  if (!parsed) return false;
  bool ok = false;
  char* scheme = nullptr;
  char* hostText = nullptr;
  char* portText = nullptr;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_HOST, &hostText, 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_PORT, &portText, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    std::string schemeName = scheme;
    long number = std::strtol(portText, nullptr, 10);
    if ((schemeName == "http" || schemeName == "https") && *hostText && number > 0 &&
        number < 65536) {
      std::string name = hostText;
      // An IPv6 literal comes back in brackets.
      if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
      *host = name;
      *port = uint16_t(number);
      ok = true;
    }
  }
  curl_free(scheme);
  curl_free(hostText);
  curl_free(portText);
  curl_url_cleanup(parsed);
  return ok;
}

bool CanConnectTcp(const std::string& host, uint16_t port, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  std::string service = std::to_string(port);
  if (host.empty() || getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses) != 0)
    return false;
  bool connected = false;
  for (addrinfo* address = addresses; address && !connected; address = address->ai_next) {
    int fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                    address->ai_protocol);
    if (fd < 0) continue;
    if (connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
      connected = true;
    } else if (errno == EINPROGRESS) {
      for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd waiting = {fd, POLLOUT, 0};
        int ready = poll(&waiting, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready > 0) {
          int error = 0;
          socklen_t length = sizeof error;
          connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        break;
      }
    }
    close(fd);
    if (Clock::now() >= deadline) break;
  }
  freeaddrinfo(addresses);
  return connected;
}

}  // namespace plat
