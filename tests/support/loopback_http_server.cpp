#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace gbtest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxRequestBytes = 1 << 20;
constexpr int kSliceMs = 20;

int OpenListener(uint16_t* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

const char* ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

bool SendAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// "Name: value" lines of a request head between two offsets.
std::vector<std::pair<std::string, std::string>> ParseHeaderLines(const std::string& data,
                                                                  size_t lineStart, size_t end) {
  std::vector<std::pair<std::string, std::string>> headers;
  while (lineStart < end) {
    size_t lineEnd = data.find("\r\n", lineStart);
    std::string line = data.substr(lineStart, lineEnd - lineStart);
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
      size_t value = line.find_first_not_of(' ', colon + 1);
      headers.emplace_back(line.substr(0, colon),
                           value == std::string::npos ? std::string() : line.substr(value));
    }
    lineStart = lineEnd + 2;
  }
  return headers;
}

}  // namespace

const std::string* HttpExchange::Header(const std::string& name) const {
  for (const auto& header : headers)
    if (strcasecmp(header.first.c_str(), name.c_str()) == 0) return &header.second;
  return nullptr;
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler, int maxRequests, int lifetimeMs)
    : handler_(std::move(handler)) {
  listener_ = OpenListener(&port_);
  if (listener_ >= 0) thread_ = std::thread([=, this] { Serve(maxRequests, lifetimeMs); });
}

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

void LoopbackHttpServer::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string LoopbackHttpServer::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<HttpExchange> LoopbackHttpServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Serve(int maxRequests, int lifetimeMs) {
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(lifetimeMs);
  int served = 0;
  while (!stopping_ && served < maxRequests && Clock::now() < deadline) {
    pollfd waiting = {listener_, POLLIN, 0};
    if (poll(&waiting, 1, kSliceMs) <= 0) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++served;
    ServeConnection(fd);
    close(fd);
  }
  // From now on connections are refused rather than left waiting.
  close(listener_);
  listener_ = -1;
}

void LoopbackHttpServer::ServeConnection(int fd) {
  // Read the head, then as many body bytes as Content-Length announces.
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
  std::string data;
  size_t headEnd = std::string::npos;
  size_t wanted = 0;
  while (!stopping_ && Clock::now() < deadline && data.size() < kMaxRequestBytes) {
    if (headEnd != std::string::npos && data.size() >= headEnd + 4 + wanted) break;
    pollfd waiting = {fd, POLLIN, 0};
    if (poll(&waiting, 1, kSliceMs) <= 0) continue;
    char buffer[4096];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    data.append(buffer, size_t(n));
    if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
      HttpExchange probe;
      probe.headers = ParseHeaderLines(data, data.find("\r\n") + 2, headEnd);
      if (const std::string* length = probe.Header("Content-Length"))
        wanted = size_t(std::strtoul(length->c_str(), nullptr, 10));
    }
  }
  if (headEnd == std::string::npos) return;

  HttpExchange exchange;
  size_t firstLineEnd = data.find("\r\n");
  std::string requestLine = data.substr(0, firstLineEnd);
  size_t space1 = requestLine.find(' ');
  size_t space2 = requestLine.find(' ', space1 + 1);
  exchange.method = requestLine.substr(0, space1);
  exchange.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  exchange.headers = ParseHeaderLines(data, firstLineEnd + 2, headEnd);
  exchange.body = data.substr(headEnd + 4);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(exchange);
  }

  HttpAnswer answer = handler_ ? handler_(exchange) : HttpAnswer();
  Clock::time_point answerAt = Clock::now() + std::chrono::milliseconds(answer.delayMs);
  while (!stopping_ && Clock::now() < answerAt)
    std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
  if (answer.hangUp || stopping_) return;
  std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonOf(answer.status) +
                      "\r\nContent-Type: " + answer.contentType +
                      "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                      "\r\nConnection: close\r\n\r\n" + answer.body;
  SendAll(fd, reply);
}

uint16_t UnusedLoopbackPort() {
  uint16_t port = 0;
  int fd = OpenListener(&port);
  if (fd >= 0) close(fd);
  return port;
}

void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY"})
    unsetenv(name);
}

}  // namespace gbtest
