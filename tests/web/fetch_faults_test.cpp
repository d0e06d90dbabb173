// How FetchPage handles answers that are cut, slow, huge or never come, and what it returns.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/loopback_server.h"
#include "tests/web/fetch_fixture.h"
#include "web/fetch_page.h"

namespace qingwu::test {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

using FetchFaults = FetchTest;

// A loopback port on which nothing listens: bound, then released.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

struct AnswerCase {
    const char* name;
    Response response;
    std::string expected;
};

TEST_F(FetchFaults, BodyAsReceived) {
    const std::string gbk = "<p>\xB5\xDA\xD2\xBB\xD5\xC2</p>";               // 第一章 in GBK
    const std::string utf8 = "<p>\xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0</p>";  // 第一章 in UTF-8
    const AnswerCase cases[] = {
        {"plain page", Ok("<html>page</html>"), "<html>page</html>"},
        {"404 page is returned like any page", NotFound(),
         "<html><body><h1>404 Not Found</h1></body></html>"},
        {"500 page is returned like any page", ServerError(),
         "<html><body><h1>500 Internal Server Error</h1></body></html>"},
        {"zero byte cuts the body", Ok("abc\0def"s), "abc"},
        {"zero byte as the first byte", Ok("\0abc"s), ""},
        {"chunked body is decoded", Chunked({"hello", " ", "world"}), "hello world"},
        {"body ended by closing", CloseDelimited("until the end"), "until the end"},
        {"reset in the middle keeps the body so far", ResetMidBody("half of it", 100),
         "half of it"},
        {"close before the declared length keeps the body so far",
         {Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart"), Close()},
         "part"},
        {"GBK page unconverted", GbkPage(gbk), gbk},
        {"UTF-8 page unconverted", Utf8Page(utf8), utf8},
        {"empty body", Ok(""), ""},
        {"connection closed without an answer", {Close()}, ""},
        {"garbage instead of a status line", {Send("garbage\r\n\r\n"), Close()}, ""},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest&, std::size_t) { return c.response; });
        EXPECT_EQ(FetchPage(server.Url("/page")), c.expected);
    }
}

TEST_F(FetchFaults, UnreachableServerGivesEmptyTextQuickly) {
    const auto start = Clock::now();
    std::string headers = "stale";
    EXPECT_EQ(FetchPage("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", std::nullopt,
                        std::nullopt, {}, {}, &headers),
              "");
    EXPECT_EQ(headers, "");
    EXPECT_LT(Clock::now() - start, 5s);  // refused at once, not after the 18 s time-out
}

TEST_F(FetchFaults, StallBeyondTheReceiveTimeoutEndsWithWhatArrived) {
    ShortenIdleTimeouts(300ms);
    const AnswerCase cases[] = {
        {"nothing at all", Stall(), ""},
        {"part of the body, then nothing", StallAfter("first part", 1000), "first part"},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest&, std::size_t) { return c.response; });
        const auto start = Clock::now();
        EXPECT_EQ(FetchPage(server.Url("/")), c.expected);
        const auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, 300ms);
        EXPECT_LT(elapsed, 5s);
    }
}

TEST_F(FetchFaults, SendTimeoutEndsAnUploadNobodyReads) {
    CurrentFetchLimits().sendTimeout = 300ms;
    // The system completes the connection, but nobody ever accepts or reads it: once the socket
    // buffers are full the body stops moving.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 1), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

    const auto start = Clock::now();
    EXPECT_EQ(FetchPage(url, "POST", std::nullopt, {}, std::string(64u << 20, 'x')), "");
    const auto elapsed = Clock::now() - start;
    close(fd);
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 10s);  // the receive time-out (18 s) did not come into it
}

TEST_F(FetchFaults, TheReceiveTimeoutCountsPerReadNotForTheWholeBody) {
    ShortenIdleTimeouts(400ms);
    // Eight pieces 100 ms apart: the body takes about twice the time-out, yet no wait is long.
    LoopbackServer server(
        [](const RecordedRequest&, std::size_t) { return Drip("0123456789abcdef", 2, 100ms); });
    const auto start = Clock::now();
    EXPECT_EQ(FetchPage(server.Url("/")), "0123456789abcdef");
    EXPECT_GE(Clock::now() - start, 400ms);
}

TEST_F(FetchFaults, BodyOverTheCapStopsAtTheCap) {
    CurrentFetchLimits().maxBodyBytes = 1u << 20;
    LoopbackServer server(
        [](const RecordedRequest&, std::size_t) { return LargeBody(8u << 20, "abcd"); });
    const std::string body = FetchPage(server.Url("/big"));
    ASSERT_EQ(body.size(), 1u << 20);
    EXPECT_EQ(body.substr(0, 8), "abcdabcd");
    EXPECT_EQ(body.substr(body.size() - 4), "abcd");

    // A body of exactly the cap is whole.
    LoopbackServer exact(
        [](const RecordedRequest&, std::size_t) { return LargeBody(1u << 20, "xy"); });
    EXPECT_EQ(FetchPage(exact.Url("/exact")).size(), 1u << 20);
}

TEST_F(FetchFaults, EndlessHeadersStopAtTheCap) {
    CurrentFetchLimits().maxBodyBytes = 64u << 10;
    LoopbackServer server([](const RecordedRequest&, std::size_t) {
        return Response{Send("HTTP/1.1 200 OK\r\n"),
                        SendRepeated("X-Filler: 0123456789\r\n", 1u << 20), Hold()};
    });
    const auto start = Clock::now();
    EXPECT_EQ(FetchPage(server.Url("/")), "");
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(FetchFaults, CancelFromThePumpReturnsAtOnceWithWhatArrived) {
    const AnswerCase cases[] = {
        {"nothing yet", Stall(), ""},
        {"part of the body", StallAfter("so far", 100), "so far"},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server([&c](const RecordedRequest&, std::size_t) { return c.response; });
        // Cancel, as a closing window would, on the pump call after the one that first finds
        // the request answered as far as the script goes: a read ran in between, so what was
        // sent has been taken in.
        const std::size_t scriptBytes = c.response.front().bytes.size();
        int roundsSinceSent = 0;
        SetPendingEventsPump([&] {
            if (server.RequestCount() > 0 && server.BytesSent() >= scriptBytes &&
                ++roundsSinceSent == 2) {
                CancelAllFetches();
            }
        });
        const auto start = Clock::now();
        EXPECT_EQ(FetchPage(server.Url("/")), c.expected);
        EXPECT_LT(Clock::now() - start, 5s);  // the 18 s receive time-out never came into it
        EXPECT_EQ(roundsSinceSent, 2);
        SetPendingEventsPump(nullptr);
    }

    // A fetch started after the cancel runs normally.
    LoopbackServer later([](const RecordedRequest&, std::size_t) { return Ok("later"); });
    EXPECT_EQ(FetchPage(later.Url("/")), "later");
}

TEST_F(FetchFaults, CancelInsideANestedFetchEndsBothFetches) {
    LoopbackServer outer([](const RecordedRequest&, std::size_t) { return Stall(); });
    LoopbackServer inner([](const RecordedRequest&, std::size_t) { return Stall(); });
    bool nestedStarted = false;
    std::string nestedResult = "unset";
    SetPendingEventsPump([&] {
        if (!nestedStarted && outer.RequestCount() > 0) {
            nestedStarted = true;
            nestedResult = FetchPage(inner.Url("/inner"));
        } else if (nestedStarted && inner.RequestCount() > 0) {
            CancelAllFetches();
        }
    });
    const auto start = Clock::now();
    EXPECT_EQ(FetchPage(outer.Url("/outer")), "");
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(nestedStarted);
    EXPECT_EQ(nestedResult, "");
}

TEST_F(FetchFaults, NestedFetchFromThePumpCompletesIndependently) {
    ShortenIdleTimeouts(300ms);
    // The nested fetch takes at least 400 ms (four pieces 100 ms apart), during which the outer
    // transfer is not read. The outer page sends its rest 550 ms after its first part: only
    // about 150 ms of that is a wait of the outer transfer itself, the rest is pump time, which
    // must not count against its 300 ms receive time-out.
    LoopbackServer outer([](const RecordedRequest&, std::size_t) {
        return Response{Send("HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nouter-"),
                        Send("page..", 550ms)};
    });
    LoopbackServer inner([](const RecordedRequest& request, std::size_t) {
        return Drip("inner:" + request.target, 3, 100ms);
    });
    int depth = 0;
    int deepest = 0;
    bool nestedStarted = false;
    std::string nestedResult;
    // The nested fetch starts on the pump call after the one that first finds the outer page's
    // first part sent, so the outer transfer has read it before the nesting begins.
    const std::size_t firstPart = 45;
    int roundsSinceSent = 0;
    SetPendingEventsPump([&] {
        if (nestedStarted || outer.BytesSent() < firstPart || ++roundsSinceSent < 2) {
            return;
        }
        nestedStarted = true;
        ++depth;
        deepest = std::max(deepest, depth);
        nestedResult = FetchPage(inner.Url("/nest"));
        --depth;
    });
    EXPECT_EQ(FetchPage(outer.Url("/outer")), "outer-page..");
    EXPECT_TRUE(nestedStarted);
    EXPECT_EQ(nestedResult, "inner:/nest");
    EXPECT_EQ(deepest, 1);
}

TEST_F(FetchFaults, PumpRunsWhileThePageArrives) {
    LoopbackServer server(
        [](const RecordedRequest&, std::size_t) { return Drip("abcdef", 2, 50ms); });
    int calls = 0;
    SetPendingEventsPump([&] { ++calls; });
    EXPECT_EQ(FetchPage(server.Url("/")), "abcdef");
    EXPECT_GE(calls, 3);  // at least once for every piece that arrived apart
}

}  // namespace
}  // namespace qingwu::test
