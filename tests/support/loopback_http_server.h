// A small HTTP server for tests, on 127.0.0.1 only.
//
// It runs on a thread of its own, answers one connection at a time with
// whatever the test's handler returns, and stops by itself after a number of
// requests or a time limit, so a test that goes wrong cannot leave it running.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace gbtest {

struct HttpExchange {
  std::string method;
  std::string target;  // path and query as sent
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  const std::string* Header(const std::string& name) const;  // case-insensitive; null when absent
};

struct HttpAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain";
  int delayMs = 0;           // wait this long before answering
  bool hangUp = false;       // close the connection without any reply
};

class LoopbackHttpServer {
 public:
  using Handler = std::function<HttpAnswer(const HttpExchange&)>;

  // Serves at most `maxRequests` connections and stops by itself
  // `lifetimeMs` after it started; then its port refuses connections.
  explicit LoopbackHttpServer(Handler handler, int maxRequests = 16, int lifetimeMs = 30000);
  ~LoopbackHttpServer();

  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  bool Started() const { return port_ != 0; }
  uint16_t Port() const { return port_; }
  std::string BaseUrl() const;  // "http://127.0.0.1:<port>"
  std::vector<HttpExchange> Requests();

  void Stop();

 private:
  void Serve(int maxRequests, int lifetimeMs);
  void ServeConnection(int fd);

  Handler handler_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<HttpExchange> requests_;
  std::thread thread_;
};

// A loopback port on which nothing listens (it was free a moment ago).
uint16_t UnusedLoopbackPort();

// Removes the proxy settings from the environment, so that requests to the
// loopback server go to it directly.
void ClearProxyEnvironment();

}  // namespace gbtest
