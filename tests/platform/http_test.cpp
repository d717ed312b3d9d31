#include "platform/http.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

class Http : public testing::Test {
 protected:
  void SetUp() override {
    gbtest::ClearProxyEnvironment();
  }
};

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(Http, GetAndPostReachTheServerAsSent) {
  gbtest::LoopbackHttpServer server([](const gbtest::HttpExchange& request) {
    gbtest::HttpAnswer answer;
    answer.body = request.method + " " + request.target + " " + request.body;
    return answer;
  });
  ASSERT_TRUE(server.Started());

  plat::HttpRequestSpec get;
  get.url = server.BaseUrl() + "/path/file.php?key=1";
  plat::HttpReply reply;
  ASSERT_TRUE(plat::HttpPerform(get, &reply)) << reply.error;
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(Text(reply.body), "GET /path/file.php?key=1 ");

  plat::HttpRequestSpec post;
  post.method = "POST";
  post.url = server.BaseUrl() + "/submit";
  post.headers = {{"Content-Type", "text/xml"}, {"X-Extra", "y"}};
  std::string body(5000, 'b');  // over the size at which a client might wait for "100 Continue"
  post.body.assign(body.begin(), body.end());
  ASSERT_TRUE(plat::HttpPerform(post, &reply)) << reply.error;
  EXPECT_EQ(Text(reply.body), "POST /submit " + body);
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  ASSERT_TRUE(requests[1].Header("content-type"));
  EXPECT_EQ(*requests[1].Header("Content-Type"), "text/xml");
  EXPECT_EQ(*requests[1].Header("X-Extra"), "y");
}

TEST_F(Http, ReportsStatusLargeRepliesAndFailures) {
  std::string large(3 * 1024000 + 17, 'x');
  for (size_t i = 0; i < large.size(); i += 1000) large[i] = char('a' + i % 26);
  gbtest::LoopbackHttpServer server([&](const gbtest::HttpExchange& request) {
    gbtest::HttpAnswer answer;
    if (request.target == "/missing") {
      answer.status = 404;
      answer.body = "<html>not here</html>";
    } else if (request.target == "/slow") {
      answer.delayMs = 3000;
    } else if (request.target == "/hangup") {
      answer.hangUp = true;
    } else {
      answer.body = large;
    }
    return answer;
  });
  ASSERT_TRUE(server.Started());
  plat::HttpRequestSpec request;
  plat::HttpReply reply;

  request.url = server.BaseUrl() + "/large";
  ASSERT_TRUE(plat::HttpPerform(request, &reply)) << reply.error;
  EXPECT_EQ(Text(reply.body), large);

  request.maxReplyBytes = 1000;
  EXPECT_FALSE(plat::HttpPerform(request, &reply));
  EXPECT_LE(reply.body.size(), 1000u);
  request.maxReplyBytes = plat::HttpRequestSpec().maxReplyBytes;

  // An error page is a complete reply; the caller judges the status.
  request.url = server.BaseUrl() + "/missing";
  ASSERT_TRUE(plat::HttpPerform(request, &reply));
  EXPECT_EQ(reply.status, 404);
  EXPECT_EQ(Text(reply.body), "<html>not here</html>");

  request.url = server.BaseUrl() + "/hangup";
  EXPECT_FALSE(plat::HttpPerform(request, &reply));
  EXPECT_FALSE(reply.error.empty());

  request.url = server.BaseUrl() + "/slow";
  request.timeoutMs = 300;
  Clock::time_point start = Clock::now();
  EXPECT_FALSE(plat::HttpPerform(request, &reply));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));

  request.url = "http://127.0.0.1:" + std::to_string(gbtest::UnusedLoopbackPort()) + "/";
  EXPECT_FALSE(plat::HttpPerform(request, &reply));
  EXPECT_EQ(reply.status, 0);

  for (const char* url : {"", "file:///etc/passwd", "ftp://127.0.0.1/", "127.0.0.1/x"}) {
    request.url = url;
    EXPECT_FALSE(plat::HttpPerform(request, &reply)) << url;
  }
  request.url = server.BaseUrl();
  request.method = "PUT";
  EXPECT_FALSE(plat::HttpPerform(request, &reply));
}

TEST_F(Http, SplitsUrlsIntoHostAndPort) {
  struct Case {
    const char* url;
    bool ok;
    const char* host;
    uint16_t port;
  } cases[] = {
      {"http://example.org/swupdate/x.php?pcd=1", true, "example.org", 80},
      {"https://example.org", true, "example.org", 443},
      {"http://127.0.0.1:8123/", true, "127.0.0.1", 8123},
      {"http://[::1]:81/", true, "::1", 81},
      {"ftp://example.org/", false, "", 0},
      {"example.org", false, "", 0},
      {"", false, "", 0},
  };
  for (const Case& c : cases) {
    std::string host;
    uint16_t port = 0;
    EXPECT_EQ(plat::GetUrlHostAndPort(c.url, &host, &port), c.ok) << c.url;
    if (c.ok) {
      EXPECT_EQ(host, c.host) << c.url;
      EXPECT_EQ(port, c.port) << c.url;
    }
  }
}

TEST_F(Http, ConnectivityTestOpensATcpConnection) {
  gbtest::LoopbackHttpServer server(nullptr);
  ASSERT_TRUE(server.Started());
  EXPECT_TRUE(plat::CanConnectTcp("127.0.0.1", server.Port(), 2000));
  EXPECT_TRUE(plat::CanConnectTcp("localhost", server.Port(), 2000));
  EXPECT_FALSE(plat::CanConnectTcp("127.0.0.1", gbtest::UnusedLoopbackPort(), 2000));
  EXPECT_FALSE(plat::CanConnectTcp("", server.Port(), 2000));
  EXPECT_FALSE(plat::CanConnectTcp("no such host.invalid", 80, 2000));
}

}  // namespace
