#include "web/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/loopback_http_server.h"
#include "web/answer_text.h"
#include "web_test_support.h"

namespace talbex::web {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;
using namespace std::chrono_literals;

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::ClearProxyEnvironment(); }

    // Short enough that the time-out cases take a fraction of a second.
    static HttpOptions ShortTimeouts() {
        HttpOptions options;
        options.connectTimeout = 1000ms;
        options.totalTimeout = 400ms;
        return options;
    }
};

TEST_F(HttpClientTest, PostSendsTheFormHeadersAndTheBodyWithItsZeroByte) {
    LoopbackHttpServer server({ScriptedReply::Ok("result=ok\n")});
    CHttpClient client;
    client.AddParam("model", "Studio 7");
    client.AddParam("sn", "1234&x=y");
    EXPECT_EQ(client.bodyLength(), 27u);
    const std::string answer = client.Post(server.Url("/cam/new_cam.php?x=1"));
    EXPECT_EQ(answer, "result=ok/r/n");

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    const std::size_t headEnd = request.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos) << test::Escaped(request);
    const std::string head = request.substr(0, headEnd + 2);
    const std::string body = request.substr(headEnd + 4);

    EXPECT_EQ(head.rfind("POST /cam/new_cam.php?x=1 HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("\r\nHost: " + server.host() + "\r\n"), std::string::npos) << head;
    const std::size_t type = head.find("\r\nContent-Type:   application/x-www-form-urlencoded\r\n");
    const std::size_t accept = head.find("\r\nAccept:   */*\r\n");
    ASSERT_NE(type, std::string::npos) << head;
    ASSERT_NE(accept, std::string::npos) << head;
    EXPECT_LT(type, accept);
    EXPECT_NE(head.find("\r\nContent-Length: 28\r\n"), std::string::npos) << head;
    // Our two headers replace the library's own: no second Accept or Content-Type line,
    // and nothing that would make the server wait or answer 100-continue first.
    EXPECT_EQ(head.find("Accept: */*"), std::string::npos) << head;
    EXPECT_EQ(head.find("Content-Type: application"), std::string::npos) << head;
    EXPECT_EQ(head.find("Expect"), std::string::npos) << head;
    EXPECT_EQ(head.find("User-Agent"), std::string::npos) << head;

    EXPECT_EQ(body, std::string("model=Studio 7&sn=1234&x=y&\0", 28));
}

TEST_F(HttpClientTest, PostWithoutParametersSendsOneZeroByte) {
    LoopbackHttpServer server({ScriptedReply::Ok("")});
    CHttpClient client;
    EXPECT_EQ(client.Post(server.Url("/p")), "");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_NE(request.find("\r\nContent-Length: 1\r\n"), std::string::npos);
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), std::string(1, '\0'));
}

TEST_F(HttpClientTest, LongBodyIsSentWithoutWaitingForContinue) {
    LoopbackHttpServer server({ScriptedReply::Ok("ok")});
    CHttpClient client(ShortTimeouts());
    const std::string value(5000, 'v');
    client.AddParam("owner", value);
    EXPECT_EQ(client.Post(server.Url("/p")), "ok/r/n");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), "owner=" + value + "&" + '\0');
}

TEST_F(HttpClientTest, GetSendsThePathAndJoinsAnswerLines) {
    LoopbackHttpServer server({ScriptedReply::Ok("4.0.2\r\nsecond\nthird")});
    EXPECT_EQ(CHttpClient().Get(server.Url("/download/ver.htm")), "4.0.2/r/nsecond/r/nthird/r/n");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /download/ver.htm HTTP/1.1\r\n", 0), 0u);
}

TEST_F(HttpClientTest, EmptyAnswerAndErrorStatusAreAnswersLikeAnyOther) {
    LoopbackHttpServer server(
        {ScriptedReply::Ok(""),
         ScriptedReply::Raw("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 6\r\n"
                            "Connection: close\r\n\r\nbroken")});
    EXPECT_EQ(CHttpClient().Get(server.Url("/a")), "");
    EXPECT_EQ(CHttpClient().Get(server.Url("/b")), "broken/r/n");
}

ScriptedReply Redirect(const std::string& location) {
    return ScriptedReply::Raw("HTTP/1.1 302 Found\r\nLocation: " + location +
                              "\r\nContent-Length: 5\r\nConnection: close\r\n\r\nmoved");
}

TEST_F(HttpClientTest, ThePostNeverFollowsARedirect) {
    LoopbackHttpServer server({Redirect("/elsewhere"), ScriptedReply::Ok("followed")});
    CHttpClient client;
    client.AddParam("a", "b");
    EXPECT_EQ(client.Post(server.Url("/cam/new_cam.php")), "moved/r/n");
    EXPECT_FALSE(server.WaitForRequests(2, 200ms));
}

TEST_F(HttpClientTest, GetFollowsABoundedNumberOfRedirectsToHttpOnly) {
    struct Case {
        const char* what;
        std::vector<ScriptedReply> script;
        std::string answer;
        std::size_t requests;
    };
    const std::vector<ScriptedReply> endless(10, Redirect("/again"));
    const Case cases[] = {
        {"two hops", {Redirect("/a"), Redirect("/b"), ScriptedReply::Ok("4.0.2")}, "4.0.2/r/n", 3},
        {"endless", endless, "", 6},  // the first request and five redirects
        {"to a file", {Redirect("file:///etc/hostname")}, "", 1},
        {"to another scheme", {Redirect("ftp://127.0.0.1/ver.htm")}, "", 1},
    };
    for (const Case& c : cases) {
        LoopbackHttpServer server(c.script);
        CHttpClient client;
        EXPECT_EQ(client.Get(server.Url("/download/ver.htm")), c.answer) << c.what;
        EXPECT_EQ(server.Requests().size(), c.requests) << c.what;
    }
}

TEST_F(HttpClientTest, TimeOutsAreWhatADesktopUserWaitsFor) {
    EXPECT_EQ(HttpOptions{}.connectTimeout, 10s);
    EXPECT_EQ(HttpOptions{}.totalTimeout, 20s);
}

TEST_F(HttpClientTest, UnreachableServerAnswersEmptyAtOnce) {
    const std::string url = "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CHttpClient().Get(url), "");
    CHttpClient client;
    client.AddParam("a", "b");
    EXPECT_EQ(client.Post(url), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(HttpClientTest, ServerThatNeverAnswersIsGivenUpAfterTheTimeout) {
    LoopbackHttpServer server({ScriptedReply::NeverAnswer()});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CHttpClient(ShortTimeouts()).Get(server.Url("/download/ver.htm")), "");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 350ms);
    EXPECT_LT(took, 3s);
}

TEST_F(HttpClientTest, HostThatNeverTakesTheConnectionIsGivenUpAfterTheConnectTimeout) {
    test::BlackHolePort hole;
    if (!hole.holding())
        GTEST_SKIP() << "this kernel does not hold connects on a full queue";
    HttpOptions options;
    options.connectTimeout = 300ms;
    options.totalTimeout = 10s;
    const auto start = std::chrono::steady_clock::now();
    CHttpClient client(options);
    client.AddParam("a", "b");
    EXPECT_EQ(client.Post("http://127.0.0.1:" + std::to_string(hole.port()) + "/"), "");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 3s);
}

TEST_F(HttpClientTest, ConnectionClosedWithoutAnswerIsEmpty) {
    LoopbackHttpServer server({ScriptedReply::CloseAtOnce()});
    CHttpClient client;
    client.AddParam("a", "b");
    EXPECT_EQ(client.Post(server.Url("/cam/new_cam.php")), "");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpClientTest, AnswerOfSeveralMegabytesArrivesWhole) {
    std::string body;
    std::string expected;
    for (int i = 0; body.size() < 4 * 1024 * 1024; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(90, 'x');
        body += line + "\r\n";
        expected += line + "/r/n";
    }
    LoopbackHttpServer server({ScriptedReply::Ok(body)});
    const std::string answer = CHttpClient().Get(server.Url("/big"));
    EXPECT_EQ(answer.size(), expected.size());
    EXPECT_TRUE(answer == expected);
}

TEST_F(HttpClientTest, AnswerBeyondTheLimitKeepsOnlyTheCompleteLinesReceived) {
    LoopbackHttpServer server({ScriptedReply::Ok("first\nsecond\n" + std::string(100000, 'z'))});
    HttpOptions options;
    options.maxAnswerBytes = 1000;
    const std::string answer = CHttpClient(options).Get(server.Url("/endless"));
    EXPECT_EQ(answer, "first/r/nsecond/r/n");
}

TEST_F(HttpClientTest, NoAddressMeansNoRequest) {
    CHttpClient client;
    client.AddParam("a", "b");
    EXPECT_EQ(client.Post(""), "");
    EXPECT_EQ(client.Get(""), "");
}

TEST(AnswerText, LinesEachGetTheFourCharacterEnd) {
    EXPECT_EQ(AnswerText("a\nb\n", true), "a/r/nb/r/n");
    EXPECT_EQ(AnswerText("a\r\nb", true), "a/r/nb/r/n");
    EXPECT_EQ(AnswerText("\n\n", true), "/r/n/r/n");
    EXPECT_EQ(AnswerText("", true), "");
    // A transfer that broke off keeps the lines that were complete.
    EXPECT_EQ(AnswerText("a\nhal", false), "a/r/n");
}

}  // namespace
}  // namespace talbex::web
