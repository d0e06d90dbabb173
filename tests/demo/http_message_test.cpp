#include "demo/http_message.h"

#include <gtest/gtest.h>

namespace qingwu::demo {
namespace {

TEST(RequestHead, ParsesWellFormedHeads) {
    struct Case {
        const char* name;
        std::string head;
        std::string method;
        std::string target;
        std::size_t bodyLength;
    };
    const Case cases[] = {
        {"get", "GET /book/1/1001/ HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "GET", "/book/1/1001/", 0},
        {"post with body length",
         "POST /modules/article/search.php HTTP/1.1\r\nContent-Length: 30\r\n\r\n", "POST",
         "/modules/article/search.php", 30},
        {"absolute target reduced to its path",
         "GET http://127.0.0.1:18080/book/1/1001/1.html?x=1 HTTP/1.1\r\n\r\n", "GET",
         "/book/1/1001/1.html?x=1", 0},
        {"absolute target without a path", "GET HTTP://127.0.0.1:18080 HTTP/1.0\r\n\r\n", "GET",
         "/", 0},
        {"bare line feeds", "GET / HTTP/1.1\nHost: x\n\n", "GET", "/", 0},
        {"repeated equal lengths",
         "POST / HTTP/1.1\r\nContent-Length: 4\r\ncontent-length: 4\r\n\r\n", "POST", "/", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest request;
        std::size_t bodyLength = 99;
        ASSERT_EQ(ParseRequestHead(c.head, request, bodyLength), HeadStatus::kOk);
        EXPECT_EQ(request.method, c.method);
        EXPECT_EQ(request.target, c.target);
        EXPECT_EQ(bodyLength, c.bodyLength);
    }
}

TEST(RequestHead, RefusesMalformedOrUnsupportedHeads) {
    struct Case {
        const char* name;
        std::string head;
        HeadStatus status;
    };
    const Case cases[] = {
        {"not http", "hello\r\n\r\n", HeadStatus::kBadRequest},
        {"no version", "GET /\r\n\r\n", HeadStatus::kBadRequest},
        {"other protocol", "GET / SPDY/3\r\n\r\n", HeadStatus::kBadRequest},
        {"target not a path", "GET book HTTP/1.1\r\n\r\n", HeadStatus::kBadRequest},
        {"extra blank in request line", "GET / x HTTP/1.1\r\n\r\n", HeadStatus::kBadRequest},
        {"header without colon", "GET / HTTP/1.1\r\nHost 127.0.0.1\r\n\r\n",
         HeadStatus::kBadRequest},
        {"folded header line", "GET / HTTP/1.1\r\nX-A: 1\r\n  2\r\n\r\n", HeadStatus::kBadRequest},
        {"length not a number", "POST / HTTP/1.1\r\nContent-Length: 1e3\r\n\r\n",
         HeadStatus::kBadRequest},
        {"negative length", "POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
         HeadStatus::kBadRequest},
        {"conflicting lengths", "POST / HTTP/1.1\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\n",
         HeadStatus::kBadRequest},
        {"huge length", "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n",
         HeadStatus::kBadRequest},
        {"body above the limit", "POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n",
         HeadStatus::kBodyTooLarge},
        {"chunked body", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
         HeadStatus::kNotImplemented},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest request;
        std::size_t bodyLength = 0;
        EXPECT_EQ(ParseRequestHead(c.head, request, bodyLength), c.status);
    }
}

TEST(RequestHead, HeadEndIsFoundOnlyOnceTheBlankLineArrived) {
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.1\r\nHost: x\r\n"), std::string::npos);
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.1\r\n\r\nbody"), 18u);
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.1\n\nbody"), 16u);
}

TEST(FormDecoding, DecodesEscapesAndLeavesRawGbkBytesAlone) {
    struct Case {
        const char* name;
        std::string text;
        std::string decoded;
    };
    const Case cases[] = {
        {"percent-encoded gbk", "%CC%C6%CA%AB", "\xCC\xC6\xCA\xAB"},
        {"lower-case hex digits", "%cc%c6", "\xCC\xC6"},
        {"raw gbk bytes", "\xCC\xC6\xCA\xAB", "\xCC\xC6\xCA\xAB"},
        {"plus is a blank", "a+b", "a b"},
        {"encoded plus", "a%2Bb", "a+b"},
        {"cut-off escape stays", "ab%4", "ab%4"},
        {"escape without hex digits stays", "%zz%", "%zz%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeFormComponent(c.text), c.decoded);
    }
}

TEST(FormDecoding, FindsTheFirstFieldOfAName) {
    const std::string form = "searchclass=1&searchkey=%CC%C6&searchkey=second&empty=&bare";
    EXPECT_EQ(FormField(form, "searchkey"), "\xCC\xC6");
    EXPECT_EQ(FormField(form, "searchclass"), "1");
    EXPECT_EQ(FormField(form, "empty"), "");
    EXPECT_EQ(FormField(form, "bare"), "");
    EXPECT_EQ(FormField(form, "missing"), std::nullopt);
    EXPECT_EQ(FormField("search%6Bey=x", "searchkey"), "x");
    EXPECT_EQ(FormField("", "searchkey"), std::nullopt);
}

TEST(ResponseText, DeclaresGbkAndLengthAndLeavesTheBodyOutForHead) {
    HttpResponse response{200, "\xC7\xE0", {}};
    const std::string full = SerializeResponse(response, false);
    EXPECT_EQ(full.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_NE(full.find("\r\nContent-Type: text/html; charset=gbk\r\n"), std::string::npos);
    EXPECT_NE(full.find("\r\nContent-Length: 2\r\n"), std::string::npos);
    EXPECT_NE(full.find("\r\nConnection: close\r\n"), std::string::npos);
    EXPECT_EQ(full.substr(full.size() - 6), "\r\n\r\n\xC7\xE0");
    const std::string head = SerializeResponse(response, true);
    EXPECT_EQ(head, full.substr(0, full.size() - 2));
}

}  // namespace
}  // namespace qingwu::demo
