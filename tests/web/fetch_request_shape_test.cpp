// The exact bytes FetchPage puts on the wire, recorded by a loopback server.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/loopback_server.h"
#include "tests/web/fetch_fixture.h"
#include "web/fetch_page.h"

namespace qingwu::test {
namespace {

using namespace std::string_literals;

// {HOST} stands for "127.0.0.1:<port>", {URL} for the address fetched.
const std::string kUserAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";
const std::string kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";
const std::string kRefererLine = "Referer: {URL}\r\n";
const std::string kLanguageLine = "Accept-Language: zh-cn\r\n";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded\r\n";

std::string Head(const std::string& requestLine) {
    return requestLine + "\r\nHost: {HOST}\r\n" + kUserAgentLine;
}

const std::string kDefaults = kAcceptLine + kRefererLine + kLanguageLine;

struct ShapeCase {
    std::string name;
    std::string path;  // appended to "http://127.0.0.1:<port>"
    std::optional<std::string> method;
    std::string headers;
    std::string postData;
    std::string expected;
};

using FetchRequestShape = FetchTest;

TEST_F(FetchRequestShape, RawRequestBytes) {
    const std::string searchBody = "searchclass=1&searchkey=\xC8\xFD\xB9\xFA";  // GBK
    const ShapeCase cases[] = {
        {"get without method", "/a/b.php?x=1&y=2", std::nullopt, "", "",
         Head("GET /a/b.php?x=1&y=2 HTTP/1.1") + kDefaults + "\r\n"},
        {"post with a GBK body", "/search.php", "POST", "", searchBody,
         Head("POST /search.php HTTP/1.1") + kDefaults + kFormType + "Content-Length: 28\r\n\r\n" +
             searchBody},
        {"post in lower case keeps its spelling", "/p", "post", "", "a=1",
         Head("post /p HTTP/1.1") + kDefaults + kFormType + "Content-Length: 3\r\n\r\na=1"},
        {"post body with a zero byte goes whole", "/p", "Post", "", "a=1&b=\0z"s,
         Head("Post /p HTTP/1.1") + kDefaults + kFormType + "Content-Length: 8\r\n\r\na=1&b=\0z"s},
        {"put makes a get without body", "/p", "PUT", "", "ignored",
         Head("GET /p HTTP/1.1") + kDefaults + "\r\n"},
        {"empty method makes a get", "/p", "", "", "",
         Head("GET /p HTTP/1.1") + kDefaults + "\r\n"},
        {"empty post body sends no content lines", "/p", "POST", "", "",
         Head("POST /p HTTP/1.1") + kDefaults + "\r\n"},
        {"caller referer in any case suppresses the default", "/r", std::nullopt, "referer: x\r\n",
         "", Head("GET /r HTTP/1.1") + "referer: x\r\n" + kAcceptLine + kLanguageLine + "\r\n"},
        {"caller accept-language still gets accept", "/l", std::nullopt, "Accept-Language: en\r\n",
         "",
         Head("GET /l HTTP/1.1") + "Accept-Language: en\r\n" + kAcceptLine + kRefererLine + "\r\n"},
        {"x-accept holds back the accept line", "/x", std::nullopt, "X-Accept: 1\r\n", "",
         Head("GET /x HTTP/1.1") + "X-Accept: 1\r\n" + kRefererLine + kLanguageLine + "\r\n"},
        {"caller accept replaces the default", "/x", std::nullopt, "Accept: text/html\r\n", "",
         Head("GET /x HTTP/1.1") + "Accept: text/html\r\n" + kRefererLine + kLanguageLine + "\r\n"},
        {"caller lines keep their order before the defaults", "/o", "POST",
         "X-First: 1\r\nX-Second: 2\r\n", "k=v",
         Head("POST /o HTTP/1.1") + "X-First: 1\r\nX-Second: 2\r\n" + kDefaults + kFormType +
             "Content-Length: 3\r\n\r\nk=v"},
        {"caller line with an empty value is sent", "/e", std::nullopt, "X-Empty:\r\n", "",
         Head("GET /e HTTP/1.1") + "X-Empty:\r\n" + kDefaults + "\r\n"},
        {"a bare line feed cannot add a line of its own", "/n", std::nullopt,
         "X-A: 1\nX-B: 2\r\n\r\n", "",
         Head("GET /n HTTP/1.1") + "X-A: 1\r\nX-B: 2\r\n" + kDefaults + "\r\n"},
        {"space in the address becomes %20, other bytes go as given",
         "/a b/\xD6\xD0.html?q=\xCE\xC4", std::nullopt, "", "",
         Head("GET /a%20b/\xD6\xD0.html?q=\xCE\xC4 HTTP/1.1") + kDefaults + "\r\n"},
        {"dot segments are not squashed", "/a/../b/./c", std::nullopt, "", "",
         Head("GET /a/../b/./c HTTP/1.1") + kDefaults + "\r\n"},
        {"fragment is not sent", "/f.html#part", std::nullopt, "", "",
         Head("GET /f.html HTTP/1.1") + kDefaults + "\r\n"},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([](const RecordedRequest&, std::size_t) { return Ok("done"); });
        ASSERT_TRUE(server.Listening());
        const std::string url = server.Url(c.path);
        EXPECT_EQ(FetchPage(url, c.method, std::nullopt, c.headers, c.postData), "done");
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].bodyComplete);
        const std::string expected =
            ReplaceAll(ReplaceAll(c.expected, "{URL}", url), "{HOST}", server.HostPort());
        EXPECT_EQ(requests[0].raw, expected);
    }
}

TEST_F(FetchRequestShape, UppercaseSchemeAndDefaultPortRequest) {
    LoopbackServer server([](const RecordedRequest&, std::size_t) { return Ok("ok"); });
    const std::string url = "HTTP://127.0.0.1:" + std::to_string(server.Port()) + "/Up";
    EXPECT_EQ(FetchPage(url), "ok");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /Up HTTP/1.1");
    // The Referer is the address exactly as the caller wrote it.
    EXPECT_EQ(requests[0].Header("Referer"), url);
}

TEST_F(FetchRequestShape, AddressesThatCannotBeSentGiveEmptyTextWithoutARequest) {
    LoopbackServer server([](const RecordedRequest&, std::size_t) { return Ok("ok"); });
    const std::string port = std::to_string(server.Port());
    const std::string cases[] = {
        "http://user@127.0.0.1:" + port + "/a",  // '@' would become credentials
        "http://127.0.0.1:70000/a",              // no such port
        "http://:" + port + "/a",                // no host
    };
    for (const std::string& url : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(FetchPage(url), "");
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(FetchLimitsDefaults, ProductionValues) {
    const FetchLimits limits;
    EXPECT_EQ(limits.connectTimeout, std::chrono::milliseconds(18000));
    EXPECT_EQ(limits.sendTimeout, std::chrono::milliseconds(18000));
    EXPECT_EQ(limits.receiveTimeout, std::chrono::milliseconds(18000));
    EXPECT_EQ(limits.maxBodyBytes, std::size_t{64} << 20);
    EXPECT_EQ(limits.maxRedirects, 10);
    EXPECT_FALSE(limits.caFile.has_value());
}

}  // namespace
}  // namespace qingwu::test
