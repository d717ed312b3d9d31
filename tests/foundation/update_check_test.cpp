#include "foundation/update_check.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "foundation/http_request.h"
#include "platform/launcher.h"
#include "platform/property_list.h"
#include "platform/roots.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/test_support.h"

namespace {

class Network : public testing::Test {
 protected:
  void SetUp() override {
    gbtest::ClearProxyEnvironment();
    unsetenv("GLIMMERBOX_UPDATE_URL");
  }
  void TearDown() override { unsetenv("GLIMMERBOX_UPDATE_URL"); }
};

std::string Text(const CHttpRequest& request) {
  const UInt8* data = request.GetResponseData();
  return std::string(data, data + request.GetResponseLength());
}

TEST_F(Network, UpdateCheckComparesTheServedVersion) {
  std::string reply;
  int status = 200;
  gbtest::LoopbackHttpServer server([&](const gbtest::HttpExchange&) {
    gbtest::HttpAnswer answer;
    answer.status = status;
    answer.body = reply;
    return answer;
  }, 64);
  ASSERT_TRUE(server.Started());
  setenv("GLIMMERBOX_UPDATE_URL", (server.BaseUrl() + "/").c_str(), 1);

  struct Case {
    int status;
    const char* reply;
    bool answered;
    bool newer;
  } cases[] = {
      {200, "3.3", true, true},        {200, "4.0", true, true},
      {200, "3.10", true, true},       {200, " 3.2\r\n", true, false},
      {200, "2.9", true, false},       {200, "3.1", true, false},
      {404, "3.3", false, false},      {500, "9.9", false, false},
      {200, "", false, false},         {200, "3", false, false},
      {200, "abc.def", false, false},  {200, "3.2.1", false, false},
      {200, "<html>3.3</html>", false, false}, {200, "3.", false, false},
      {200, ".3", false, false},       {200, "-1.5", false, false},
      {200, "99999999999.1", false, false},
  };
  for (const Case& c : cases) {
    status = c.status;
    reply = c.reply;
    CUpdateCheck check;
    EXPECT_EQ(check.Check(100, 3, 2), c.answered) << c.status << " " << c.reply;
    EXPECT_EQ(check.IsNewerAvailable(), c.newer) << c.status << " " << c.reply;
  }
  CUpdateCheck check;
  reply = "3.10";
  ASSERT_TRUE(check.Check(100, 3, 2));
  EXPECT_EQ(check.GetLatestMajor(), 3);
  EXPECT_EQ(check.GetLatestMinor(), 10);
  auto requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().method, "GET");
  EXPECT_EQ(requests.back().target, "/swupdate/swvers.php?pcd=5862");
  EXPECT_EQ(check.GetQueryUrl(), server.BaseUrl() + "/swupdate/swvers.php?pcd=5862");
}

TEST_F(Network, UpdateCheckWithoutAServiceFailsQuietly) {
  // Nothing configured: no connection is even tried.
  CUpdateCheck check;
  EXPECT_EQ(GetUpdateServiceUrl(), "");
  EXPECT_FALSE(CanReachInternet());
  EXPECT_FALSE(check.Check(1389, 2, 6));
  EXPECT_FALSE(check.IsNewerAvailable());

  // Configured, but nothing listens there.
  std::string url = "http://127.0.0.1:" + std::to_string(gbtest::UnusedLoopbackPort());
  setenv("GLIMMERBOX_UPDATE_URL", url.c_str(), 1);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(CanReachInternet());
  EXPECT_FALSE(check.Check(1389, 2, 6));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  setenv("GLIMMERBOX_UPDATE_URL", "not a url", 1);
  EXPECT_FALSE(check.Check(1389, 2, 6));
}

TEST_F(Network, UpdateServiceAddressComesFromTheBundleUnlessTheEnvironmentSetsIt) {
  std::string bundle = gbtest::MakeTempFolder("Update.app");
  gbtest::MakeTempFolder("Update.app/Contents");
  plat::PlistValue info;
  info.Set("GlimmerboxUpdateURL", plat::PlistValue::String("http://127.0.0.1:9/base"));
  int error = 0;
  ASSERT_TRUE(plat::WritePropertyListFile(bundle + "Contents/Info.plist", info, &error));
  plat::SetApplicationBundle(bundle);
  EXPECT_EQ(GetUpdateServiceUrl(), "http://127.0.0.1:9/base");
  setenv("GLIMMERBOX_UPDATE_URL", "http://127.0.0.1:10/", 1);
  EXPECT_EQ(GetUpdateServiceUrl(), "http://127.0.0.1:10/");
  plat::SetApplicationBundle("");
}

TEST_F(Network, RequestsSendHeadersAndBodiesAndKeepTheReply) {
  std::string large(2 * 1024000 + 5, 'z');
  gbtest::LoopbackHttpServer server([&](const gbtest::HttpExchange& request) {
    gbtest::HttpAnswer answer;
    if (request.target == "/large") {
      answer.body = large;
    } else if (request.target == "/missing") {
      answer.status = 404;
      answer.body = "gone";
    } else if (request.target == "/empty") {
      answer.body = "";
    } else {
      answer.body = request.method + ":" + request.body;
    }
    return answer;
  });
  ASSERT_TRUE(server.Started());
  std::string base = server.BaseUrl();

  CHttpRequest get((base + "/large").c_str(), CHttpRequest::kMethodGet);
  ASSERT_TRUE(get.Send(true));
  EXPECT_EQ(get.GetStatusCode(), 200);
  EXPECT_EQ(Text(get), large);
  EXPECT_FALSE(get.Send(false));  // only POST goes asynchronously

  CHttpRequest post((base + "/echo").c_str(), CHttpRequest::kMethodPost);
  const char text[] = "Content-Type: text/xml\r\nX-One:1\n\0<body/>";
  post.SetRequestText(text, sizeof text - 1);
  ASSERT_TRUE(post.Send(true));
  EXPECT_EQ(Text(post), "POST:<body/>");
  auto requests = server.Requests();
  ASSERT_TRUE(requests.back().Header("Content-Type"));
  EXPECT_EQ(*requests.back().Header("Content-Type"), "text/xml");
  EXPECT_EQ(*requests.back().Header("X-One"), "1");

  // The asynchronous form reports false; its reply still lands.
  post.SetBody("abc", 3);
  EXPECT_FALSE(post.Send(false));
  EXPECT_EQ(Text(post), "POST:abc");

  CHttpRequest empty((base + "/empty").c_str(), CHttpRequest::kMethodPost);
  EXPECT_FALSE(empty.Send(true));  // a POST needs a reply with bytes

  CHttpRequest other((base + "/echo").c_str(), 2);
  EXPECT_FALSE(other.Send(true));

  EXPECT_TRUE(UrlHasContent((base + "/echo").c_str()));
  EXPECT_FALSE(UrlHasContent((base + "/missing").c_str()));
  EXPECT_FALSE(UrlHasContent((base + "/empty").c_str()));
  EXPECT_FALSE(UrlHasContent(nullptr));

  for (const char* url : {"", "http://127.0.0.1/a b", "http://127.0.0.1/\x8E"}) {
    CHttpRequest bad(url, CHttpRequest::kMethodGet);
    EXPECT_FALSE(bad.Get()) << url;
    EXPECT_EQ(bad.GetResponseLength(), 0);
  }
  CHttpRequest numbered(999999, CHttpRequest::kMethodGet);  // no such string
  EXPECT_EQ(numbered.GetUrl(), "");
  EXPECT_FALSE(numbered.Get());
}

TEST_F(Network, HeaderLinesSplitAtTheFirstColon) {
  struct Case {
    const char* line;
    bool added;
    const char* name;
    const char* value;
  } cases[] = {
      {"Content-Type: text/xml", true, "Content-Type", "text/xml"},
      {"X:y", true, "X", "y"},
      {"X:  two spaces", true, "X", " two spaces"},
      {"Time: 12:30", true, "Time", "12:30"},
      {"no colon", false, "", ""},
  };
  for (const Case& c : cases) {
    CHttpRequest request("http://127.0.0.1/", CHttpRequest::kMethodPost);
    request.AddHeaderLine(c.line);
    ASSERT_EQ(request.GetHeaders().size(), c.added ? 1u : 0u) << c.line;
    if (c.added) {
      EXPECT_EQ(request.GetHeaders()[0].first, c.name);
      EXPECT_EQ(request.GetHeaders()[0].second, c.value);
    }
  }
}

TEST_F(Network, OpenInBrowserHandsTheUrlToTheLauncher) {
  std::vector<std::vector<std::string>> launched;
  plat::SetLaunchHook([&](const std::vector<std::string>& arguments) {
    launched.push_back(arguments);
    return true;
  });
  CHttpRequest page("http://127.0.0.1/help?x=1&y=2", CHttpRequest::kMethodGet);
  EXPECT_TRUE(page.OpenInBrowser());
  CHttpRequest none("", CHttpRequest::kMethodGet);
  EXPECT_FALSE(none.OpenInBrowser());
  plat::SetLaunchHook(nullptr);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", "http://127.0.0.1/help?x=1&y=2"}));
}

}  // namespace
