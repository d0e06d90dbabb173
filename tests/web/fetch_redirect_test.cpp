// Redirects, cookies across hops and the response header block.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/loopback_server.h"
#include "tests/web/fetch_fixture.h"
#include "web/fetch_page.h"

namespace qingwu::test {
namespace {

using FetchRedirect = FetchTest;

struct RedirectCase {
    const char* name;
    std::optional<std::string> method;
    int status;
    const char* secondRequestLine;
    bool keepsBody;
};

TEST_F(FetchRedirect, VerbBodyAndCookieOnTheNextHop) {
    const RedirectCase cases[] = {
        {"POST 301 becomes GET", "POST", 301, "GET /next?q=1 HTTP/1.1", false},
        {"POST 302 becomes GET", "POST", 302, "GET /next?q=1 HTTP/1.1", false},
        {"post 303 becomes GET", "post", 303, "GET /next?q=1 HTTP/1.1", false},
        {"POST 307 keeps verb and body", "POST", 307, "POST /next?q=1 HTTP/1.1", true},
        {"post 307 keeps the spelling", "post", 307, "post /next?q=1 HTTP/1.1", true},
        {"post 308 keeps verb and body", "post", 308, "post /next?q=1 HTTP/1.1", true},
        {"GET 302 stays GET", std::nullopt, 302, "GET /next?q=1 HTTP/1.1", false},
        {"GET 307 stays GET", std::nullopt, 307, "GET /next?q=1 HTTP/1.1", false},
    };
    for (const RedirectCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest&, std::size_t index) {
            return index == 0 ? Redirect(c.status, "/next?q=1", "sid=abc; Path=/") : Ok("final");
        });
        const std::string url = server.Url("/form.php");
        EXPECT_EQ(FetchPage(url, c.method, std::nullopt, {}, "a=1&b=2"), "final");
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        const RecordedRequest& next = requests[1];
        EXPECT_EQ(next.requestLine, c.secondRequestLine);
        EXPECT_TRUE(next.bodyComplete);
        EXPECT_EQ(next.Header("Cookie"), "sid=abc");
        // The header block of the first request goes again, Referer and all.
        EXPECT_EQ(next.Header("Referer"), url);
        EXPECT_EQ(next.Header("Accept-Language"), "zh-cn");
        EXPECT_FALSE(next.HasHeader("Expect"));
        if (c.keepsBody) {
            EXPECT_EQ(next.body, "a=1&b=2");
            EXPECT_EQ(next.Header("Content-Type"), "application/x-www-form-urlencoded");
            EXPECT_EQ(next.Header("Content-Length"), "7");
        } else {
            EXPECT_EQ(next.body, "");
            EXPECT_FALSE(next.HasHeader("Content-Type"));
            EXPECT_FALSE(next.HasHeader("Content-Length"));
        }
    }
}

TEST_F(FetchRedirect, AbsoluteLocationOnAnotherServer) {
    LoopbackServer target([](const RecordedRequest&, std::size_t) { return Ok("over there"); });
    LoopbackServer origin([&target](const RecordedRequest&, std::size_t) {
        return Redirect(302, target.Url("/landing"));
    });
    EXPECT_EQ(FetchPage(origin.Url("/start")), "over there");
    const auto requests = target.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /landing HTTP/1.1");
    EXPECT_EQ(requests[0].Header("Host"), target.HostPort());
}

TEST_F(FetchRedirect, EndlessRedirectsStopAfterTheHopLimitWithTheLastBody) {
    LoopbackServer server([](const RecordedRequest&, std::size_t index) {
        return PageWithHeaders(302, "Location: /hop" + std::to_string(index + 1) + "\r\n",
                               "hop " + std::to_string(index));
    });
    // The production limit of ten hops: eleven requests, the eleventh answer's body.
    EXPECT_EQ(FetchPage(server.Url("/hop0")), "hop 10");
    EXPECT_EQ(server.RequestCount(), 11u);

    CurrentFetchLimits().maxRedirects = 0;
    LoopbackServer once([](const RecordedRequest&, std::size_t) {
        return PageWithHeaders(301, "Location: /elsewhere\r\n", "moved body");
    });
    EXPECT_EQ(FetchPage(once.Url("/")), "moved body");
    EXPECT_EQ(once.RequestCount(), 1u);
}

TEST_F(FetchRedirect, CookiesDoNotOutliveTheCall) {
    LoopbackServer server([](const RecordedRequest& request, std::size_t) {
        return request.target == "/set" ? Redirect(302, "/see", "sid=1; Path=/") : Ok("seen");
    });
    EXPECT_EQ(FetchPage(server.Url("/set")), "seen");
    EXPECT_EQ(FetchPage(server.Url("/see")), "seen");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].Header("Cookie"), "sid=1");
    EXPECT_FALSE(requests[2].HasHeader("Cookie"));
}

struct HeaderBlockCase {
    const char* name;
    Response first;  // answer to the first request; a redirect leads to "/final"
    std::string expectedBody;
    std::string expectedHeaders;
};

TEST_F(FetchRedirect, ResponseHeadersHoldTheFinalBlock) {
    const std::string longValue(3000, 'v');
    const HeaderBlockCase cases[] = {
        {"plain page", Ok("hello"), "hello",
         "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n"},
        {"after a redirect only the final block", Redirect(302, "/final"), "final page",
         "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n"},
        {"longer than a kilobyte", PageWithHeaders(200, "X-Long: " + longValue + "\r\n", "b"), "b",
         "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 1\r\n"},
        {"chunked trailers are not part of it",
         {Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n\r\n"
               "3\r\nabc\r\n0\r\nX-T: 1\r\n\r\n")},
         "abc",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n"},
    };
    for (const HeaderBlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest& request, std::size_t) {
            return request.target == "/final" ? PageWithHeaders(200, "", "final page") : c.first;
        });
        std::string headers = "stale";
        EXPECT_EQ(FetchPage(server.Url("/"), std::nullopt, std::nullopt, {}, {}, &headers),
                  c.expectedBody);
        EXPECT_EQ(headers, c.expectedHeaders);
    }
}

}  // namespace
}  // namespace qingwu::test
