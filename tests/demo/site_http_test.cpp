// The demo site as the reader meets it: the program started on port 0, real HTTP over the
// loopback, and the delivered profile row's patterns, templates and markers applied to its
// pages.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/demo/demo_site_process.h"
#include "tests/demo/fixture_texts.h"
#include "tests/demo/profile_patterns.h"
#include "tests/demo/raw_http_client.h"
#include "text/gbk.h"
#include "web/fetch_page.h"
#include "web/text_between.h"

namespace qingwu::demo::testing {
namespace {

constexpr std::string_view kSearchPath = "/modules/article/search.php";
constexpr std::string_view kDeliveredOrigin = "http://127.0.0.1:18080";

Text Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// Every occurrence of a placeholder replaced, the id prefix first (as the reader fills them).
Text FillTemplate(Text text, const Text& bookId, const Text& idPrefix) {
    for (const auto& [placeholder, value] :
         {std::pair{Gbk("文章子序号"), idPrefix}, std::pair{Gbk("文章序号"), bookId}}) {
        for (std::size_t p = text.find(placeholder); p != Text::npos;
             p = text.find(placeholder, p + value.size())) {
            text.replace(p, placeholder.size(), value);
        }
    }
    return text;
}

class DemoSiteTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        texts_ = std::make_unique<FixtureTexts>();
        site_ = std::make_unique<DemoSiteProcess>(
            std::vector<std::string>{"--port", "0", "--texts", texts_->Dir().string()});
        const ProfileRows profiles = LoadDeliveredProfiles();
        for (const auto& row : profiles.rows) {
            if (row.at("书库名称") == Gbk("青梧书屋")) {
                profile_ = row;
            }
        }
    }
    static void TearDownTestSuite() {
        site_.reset();
        texts_.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(site_->Started()) << site_->FirstOutput();
        ASSERT_FALSE(profile_.empty()) << "no profile row named 青梧书屋 in data/sk.rows.sql";
    }

    static std::uint16_t Port() { return site_->Port(); }
    static const Text& Field(const char* name) { return profile_.at(name); }

    // The path of a profile address, which names the delivered port; the test's own site
    // listens elsewhere.
    static std::string PathOf(const Text& address) {
        EXPECT_EQ(address.substr(0, kDeliveredOrigin.size()), kDeliveredOrigin);
        return address.substr(kDeliveredOrigin.size());
    }

    // Posts the search the way the reader does: "searchclass=1&searchkey=" + raw GBK title.
    static RawResponse Search(const Text& rawKey) {
        return PostForm(Port(), PathOf(Field("书库网站搜索页地址")),
                        "searchclass=1&searchkey=" + rawKey);
    }

    static std::vector<Text> FirstGroups(const char* patternField, const Text& page) {
        std::vector<Text> values;
        for (const auto& match : MatchGroups(Field(patternField), page)) {
            values.push_back(match.empty() ? Text() : match[0]);
        }
        return values;
    }

    static inline std::unique_ptr<FixtureTexts> texts_;
    static inline std::unique_ptr<DemoSiteProcess> site_;
    static inline std::map<std::string, Text> profile_;
};

TEST_F(DemoSiteTest, EachSearchPatternMatchesOncePerHitInSiteOrder) {
    const auto& books = ExpectedFixtureBooks();
    struct Case {
        const char* name;
        Text rawKey;
        std::vector<std::size_t> hits;  // indexes into ExpectedFixtureBooks
    };
    const Case cases[] = {
        {"gbk title bytes", Gbk("唐诗"), {0}},
        {"whole title", Gbk("古文名句集"), {2}},
        {"percent-encoded title", "%CC%C6%CA%AB", {0}},
        {"key in two titles", Gbk("首"), {0, 1}},
        {"no such book", Gbk("不存在的书"), {}},
        {"empty key", "", {}},
        {"two blanks", "  ", {}},
        // C6 CA is a character of its own made of the last byte of 唐 and the first of 诗:
        // a byte search would find 唐诗三百首, a character search must not.
        {"key straddling two characters", "\xC6\xCA", {}},
        // The key is echoed on the page; it must not forge a result row.
        {"key with result markup",
         Gbk("<td class=\"even\">伪作者</td><td class=\"odd\"><a href=\"/book/9/9001/\">伪书</a>"
             "</td>"),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RawResponse response = Search(c.rawKey);
        ASSERT_EQ(response.status, 200);
        EXPECT_EQ(response.Header("Content-Type"), "text/html; charset=gbk");
        std::vector<Text> authors, ids, prefixes, titles;
        for (std::size_t hit : c.hits) {
            authors.push_back(Gbk(books[hit].author));
            ids.push_back(std::to_string(books[hit].id));
            prefixes.push_back(std::to_string(books[hit].idPrefix));
            titles.push_back(Gbk(books[hit].title));
        }
        EXPECT_EQ(FirstGroups("作者正则", response.body), authors);
        EXPECT_EQ(FirstGroups("书号正则", response.body), ids);
        EXPECT_EQ(FirstGroups("书号前缀正则", response.body), prefixes);
        EXPECT_EQ(FirstGroups("书名正则", response.body), titles);
    }
}

TEST_F(DemoSiteTest, ChapterListYieldsEveryChapterThroughTheChapterPattern) {
    for (const ExpectedBook& book : ExpectedFixtureBooks()) {
        SCOPED_TRACE(book.title);
        const Text address = FillTemplate(Field("网址章节列表页"), std::to_string(book.id),
                                          std::to_string(book.idPrefix));
        const RawResponse list = Get(Port(), PathOf(address));
        ASSERT_EQ(list.status, 200);
        const auto matches = MatchGroups(Field("书库列出全部章节正则"), list.body);
        ASSERT_EQ(matches.size(), book.chapterNames.size());
        for (std::size_t n = 0; n < matches.size(); ++n) {
            ASSERT_EQ(matches[n].size(), 2u);
            EXPECT_EQ(matches[n][0], std::to_string(n + 1) + ".html");
            EXPECT_EQ(matches[n][1], Gbk(book.chapterNames[n]));
        }
    }
}

TEST_F(DemoSiteTest, ChapterPageHoldsTitleAndTextBetweenTheMarkers) {
    const ExpectedBook& tang = ExpectedFixtureBooks()[0];
    const Text list = Get(Port(), PathOf(FillTemplate(Field("网址章节列表页"), "1001", "1"))).body;
    const auto chapters = MatchGroups(Field("书库列出全部章节正则"), list);
    ASSERT_EQ(chapters.size(), tang.chapterNames.size());
    struct Case {
        std::size_t chapter;
        std::vector<std::string> lines;  // in the text, in this order
    };
    const Case cases[] = {
        {0, {"作者：孟浩然", "春眠不觉晓，处处闻啼鸟。", "夜来风雨声，花落知多少。"}},
        // "</div>" in a poem must not end the text early: it arrives escaped.
        {3, {"作者：李白", "桃花潭水深千尺，&lt;/div&gt;不及汪伦送我情。"}},
    };
    const Text pageTemplate = FillTemplate(Field("网址章节内容页"), "1001", "1");
    for (const Case& c : cases) {
        SCOPED_TRACE(tang.chapterNames[c.chapter]);
        // The reader's chapter address: the filled template followed by group 1.
        const RawResponse page = Get(Port(), PathOf(pageTemplate + chapters[c.chapter][0]));
        ASSERT_EQ(page.status, 200);
        EXPECT_EQ(TextBetween(page.body, Field("小说标题前过滤文本"), Field("小说标题后过滤文本")),
                  Gbk(tang.chapterNames[c.chapter]));
        const Text content =
            TextBetween(page.body, Field("小说内容前过滤文本"), Field("小说内容后过滤文本"));
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            const std::size_t found = content.find(Gbk(line), at);
            ASSERT_NE(found, Text::npos) << line;
            at = found;
        }
        EXPECT_EQ(content.substr(content.size() - 7), "<br />\n") << "text ends with its last line";
    }
}

TEST_F(DemoSiteTest, TheReadersFetcherGetsSearchListAndChapter) {
    const Text origin = "http://127.0.0.1:" + std::to_string(Port());
    const Text search = origin + PathOf(Field("书库网站搜索页地址"));
    const Text found =
        FetchPage(search, Text("POST"), std::nullopt, {}, "searchclass=1&searchkey=" + Gbk("唐诗"));
    EXPECT_EQ(FirstGroups("书名正则", found), std::vector<Text>{Gbk("唐诗三百首")});
    // A title long enough that the body passes the size where HTTP clients start to announce
    // it with "Expect: 100-continue".
    const Text longKey(3000, 'x');
    const Text none =
        FetchPage(search, Text("POST"), std::nullopt, {}, "searchclass=1&searchkey=" + longKey);
    EXPECT_NE(none.find(Gbk("没有找到相关书籍")), Text::npos);

    const Text list =
        FetchPage(origin + PathOf(FillTemplate(Field("网址章节列表页"), "1001", "1")));
    const auto chapters = MatchGroups(Field("书库列出全部章节正则"), list);
    ASSERT_EQ(chapters.size(), ExpectedFixtureBooks()[0].chapterNames.size());
    const Text page = FetchPage(
        origin + PathOf(FillTemplate(Field("网址章节内容页"), "1001", "1")) + chapters[1][0]);
    EXPECT_EQ(TextBetween(page, Field("小说标题前过滤文本"), Field("小说标题后过滤文本")),
              Gbk("《静夜思》 李白"));
}

TEST_F(DemoSiteTest, UnknownAddressesGetTheNotFoundPage) {
    const char* paths[] = {
        "/nope",
        "/book/1/9999/",
        "/book/2/1001/",  // a known book under another prefix
        "/book/1/1001/0.html",
        "/book/1/1001/5.html",  // one past the last chapter
        "/book/1/1001/1.htm",
        "/book/1/1001/1.html/",
        "/modules/article/search.php/x",
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        const RawResponse response = Get(Port(), path);
        EXPECT_EQ(response.status, 404);
        EXPECT_EQ(response.Header("Content-Type"), "text/html; charset=gbk");
        EXPECT_NE(response.body.find(Gbk("页面不存在")), Text::npos);
    }
}

TEST_F(DemoSiteTest, AnswersEachRequestShapeWithTheRightStatus) {
    struct Case {
        const char* name;
        std::string request;
        int status;
    };
    const Case cases[] = {
        {"home page", "GET / HTTP/1.1\r\nHost: a\r\n\r\n", 200},
        {"search by get", "GET /modules/article/search.php?searchkey=%CC%C6 HTTP/1.1\r\n\r\n", 200},
        {"book address without slash", "GET /book/1/1001 HTTP/1.1\r\n\r\n", 301},
        {"post to a page", "POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405},
        {"delete", "DELETE /book/1/1001/ HTTP/1.1\r\n\r\n", 405},
        {"not http", "hello there\r\n\r\n", 400},
        {"body too large",
         "POST /modules/article/search.php HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n", 413},
        {"body too large, and sent",
         "POST /modules/article/search.php HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n" +
             std::string(2000000, 'k'),
         413},
        {"chunked body",
         "POST /modules/article/search.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
         501},
        {"head too large", "GET / HTTP/1.1\r\nX-Filler: " + std::string(70000, 'a') + "\r\n\r\n",
         431},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SendRaw(Port(), c.request).status, c.status);
    }
    const RawResponse redirect = Get(Port(), "/book/1/1001");
    EXPECT_EQ(redirect.Header("Location"), "/book/1/1001/");
}

TEST_F(DemoSiteTest, HeadSendsTheHeadersOfGetWithoutTheBody) {
    const RawResponse get = Get(Port(), "/book/2/2001/");
    const RawResponse head = SendRaw(Port(), "HEAD /book/2/2001/ HTTP/1.1\r\n\r\n");
    ASSERT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("Content-Length"), std::to_string(get.body.size()));
    EXPECT_TRUE(head.body.empty());
}

TEST_F(DemoSiteTest, WaitsForABodyAnnouncedWithExpectContinue) {
    const Text body = "searchclass=1&searchkey=" + Gbk("唐诗");
    RawConnection connection(Port());
    ASSERT_TRUE(
        connection.Send("POST /modules/article/search.php HTTP/1.1\r\n"
                        "Expect: 100-continue\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n"));
    // Only the head has gone out: the server must ask for the body before it answers.
    ASSERT_TRUE(connection.ReadUntil("\r\n\r\n"));
    EXPECT_EQ(connection.Received(), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(connection.Send(body));
    const RawResponse response = ParseResponse(
        connection.ReadAll().substr(std::string_view("HTTP/1.1 100 Continue\r\n\r\n").size()));
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(FirstGroups("书名正则", response.body), std::vector<Text>{Gbk("唐诗三百首")});
}

TEST_F(DemoSiteTest, ReadsARequestThatArrivesInPieces) {
    const Text body = "searchclass=1&searchkey=" + Gbk("名句");
    const std::string request = "POST /modules/article/search.php HTTP/1.1\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    RawConnection connection(Port());
    // Byte by byte, so the head's end and the body cross many reads on the server.
    for (char byte : request) {
        ASSERT_TRUE(connection.Send(std::string_view(&byte, 1)));
    }
    const RawResponse response = ParseResponse(connection.ReadAll());
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(FirstGroups("书号正则", response.body), std::vector<Text>{"2001"});
}

TEST_F(DemoSiteTest, ServesManyClientsAtOnceWhileOneStaysSilent) {
    // A client that connects and sends nothing must not hold up anyone else.
    const RawResponse expected = Get(Port(), "/book/2/2001/");
    ASSERT_EQ(expected.status, 200);
    RawConnection silent(Port());
    ASSERT_TRUE(silent.Connected());
    constexpr int kClients = 8;
    constexpr int kRequests = 25;
    std::vector<int> failures(kClients, 0);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            for (int r = 0; r < kRequests; ++r) {
                const RawResponse response = Get(Port(), "/book/2/2001/");
                if (response.status != 200 || response.body != expected.body) {
                    ++failures[c];
                }
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    for (int c = 0; c < kClients; ++c) {
        EXPECT_EQ(failures[c], 0) << "client " << c;
    }
}

}  // namespace
}  // namespace qingwu::demo::testing
