// The window against a website that misbehaves in every way a transfer can: it stalls, resets,
// redirects in a loop, answers 500, sends 50 or 70 MB, sends UTF-8 or invalid GBK. For each of
// the three operations that wait on the network (search, book opening, chapter show) the window
// stays live, the operation ends within its time-outs with the outcome it defines for an empty or
// foreign page, and the shelf and settings are untouched.
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "reading/control_names.h"
#include "tests/faults/window_fixture.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

using std::chrono::milliseconds;

const char* const kSearchFailed = "请检查输入的书名是否正确或该网站不存在此图书！";

// Two shelf rows that no case may change.
const char* const kShelfSql =
    "INSERT INTO 书签列表 VALUES ('山海', '某乙', '77', '序章', '0', '3', '别处');"
    "INSERT INTO 书签列表 VALUES ('x'' OR ''1''=''1', '某丙', '8', '尾声', '0', '12', '别处');";
const TempRunDir::Rows kShelf = {{"山海", "某乙", "77", "序章", "0", "3", "别处"},
                                 {"x' OR '1'='1", "某丙", "8", "尾声", "0", "12", "别处"}};
const TempRunDir::Rows kSettings = {{"2", "0"}};

// Whether the page of the fault still carries what the patterns and markers look for. A page is
// used as received, never converted: in UTF-8 its bytes are read as GBK pairs, which can swallow
// the markup after an odd split, so what its patterns find is not fixed (Garbled).
enum class Readable { No, Yes, Garbled };

struct Fault {
    const char* name;
    std::function<Response(const std::string& goodGbkPage)> response;
    Readable readable;
    // How many fetch time-outs the fault can cost per fetch (a stall waits one out).
    int timeouts;
};

std::string Utf8Of(const std::string& gbk) {
    return GbkToUtf8(gbk);
}

const std::vector<Fault>& Faults() {
    static const std::vector<Fault> faults = {
        {"stall", [](const std::string&) { return Stall(); }, Readable::No, 1},
        {"reset_before_answer", [](const std::string&) { return Response{Reset()}; }, Readable::No,
         0},
        {"reset_mid_body",
         [](const std::string&) { return ResetMidBody("<html><body><tab", 100000); }, Readable::No,
         0},
        {"stall_mid_body", [](const std::string&) { return StallAfter("<html><bo", 100000); },
         Readable::No, 1},
        {"redirect_loop", [](const std::string&) { return Redirect(302, "/loop"); }, Readable::No,
         0},
        {"status_500", [](const std::string&) { return ServerError(); }, Readable::No, 0},
        {"status_500_with_the_page",
         [](const std::string& good) { return Page(500, good, "text/html; charset=gbk"); },
         Readable::Yes, 0},
        {"body_50_mb", [](const std::string&) { return LargeBody(50u << 20, "<td>&#0;x"); },
         Readable::No, 0},
        {"body_70_mb_beyond_the_cap",
         [](const std::string&) { return LargeBody(70u << 20, "<dd>0123456789"); }, Readable::No,
         0},
        {"utf8_page", [](const std::string& good) { return Utf8Page(Utf8Of(good)); },
         Readable::Garbled, 0},
        {"invalid_gbk_around_the_page",
         [](const std::string& good) {
             // Lead bytes with a trail out of range, the two single-byte cells, a lone lead
             // byte at the very end.
             return GbkPage("\x81\x30\xfe\x7f\xff\x80<html>" + good + "</html>\x81");
         },
         Readable::Yes, 0},
        {"zero_byte_first", [](const std::string& good) { return Ok(std::string(1, '\0') + good); },
         Readable::No, 0},
    };
    return faults;
}

class SiteFaults : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(run_.ExecDb1(kShelfSql));
        AddProfile("青梧书屋");
        site_.Override("/loop", Redirect(302, "/loop"));
    }

    // Runs action with a timer ticking beside it; the ticks show the window stayed live.
    struct Timed {
        milliseconds took;
        int ticks;
    };
    Timed Run(const std::function<void()>& action) {
        int ticks = 0;
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start();
        const auto start = Clock::now();
        action();
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        return {took, ticks};
    }

    // The bound for an operation of fetches fetches under fault: every stall waits out one
    // time-out; the rest (a 70 MB body under the sanitizers, four pattern passes of at most a
    // second each) gets a generous margin.
    static milliseconds Bound(const Fault& fault, int fetches) {
        return fetches * fault.timeouts * kFetchTimeout + milliseconds(20000);
    }

    static void ExpectLive(const Timed& timed) {
        // A window frozen for the whole wait would see no tick at all.
        if (timed.took > milliseconds(1000)) {
            EXPECT_GT(timed.ticks, 5)
                << "the window was not serviced for " << timed.took.count() << " ms";
        }
    }
};

std::string GoodSearchPage() {
    return Gbk(
        "<table><tr><td class=\"odd\"><a href=\"/book/1/1234/\">青梧</a></td>"
        "<td class=\"even\">某甲</td></tr></table>");
}

std::string GoodListPage() {
    return Gbk(
        "<dl><dd><a href=\"1.html\">第1章</a></dd><dd><a href=\"2.html\">第2章</a></dd>"
        "</dl>");
}

std::string GoodChapterPage() {
    return Gbk("<div id=\"title\">第2章 标题</div><div id=\"content\">正文2</div>");
}

TEST_F(SiteFaults, SearchEndsWithItsMessageOrTheResults) {
    for (const Fault& fault : Faults()) {
        SCOPED_TRACE(fault.name);
        site_.Override("/search", fault.response(GoodSearchPage()));
        OpenWindow();
        const Timed timed = Run([&] { Search("青梧"); });
        EXPECT_LT(timed.took, Bound(fault, 1));
        ExpectLive(timed);
        if (fault.readable == Readable::Garbled) {
            // Either outcome, consistently.
            const bool found = !Context().state.FoundBookIds.empty();
            EXPECT_EQ(Window().分组框搜索->isVisible(), found);
            EXPECT_EQ(TakeMessages().size(), found ? 0u : 1u);
        } else if (fault.readable == Readable::Yes) {
            EXPECT_TRUE(Window().分组框搜索->isVisible());
            EXPECT_EQ(Port().RowCount(control::超级列表框搜索结果), 1);
            EXPECT_EQ(Context().state.FoundBookIds, std::vector<Text>{"1234"});
            EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
        } else {
            EXPECT_FALSE(Window().分组框搜索->isVisible());
            EXPECT_TRUE(Context().state.FoundBookIds.empty());
            EXPECT_EQ(TakeMessages(), std::vector<std::string>{kSearchFailed});
        }
        window_.reset();
        ExpectDb1(kSettings, kShelf);
    }
}

TEST_F(SiteFaults, OpeningLeavesTheChapterListEmptyOrFillsIt) {
    for (const Fault& fault : Faults()) {
        SCOPED_TRACE(fault.name);
        site_.Override("/book/1/1234/", fault.response(GoodListPage()));
        OpenWindow();
        Search("青梧");
        ASSERT_TRUE(Window().分组框搜索->isVisible());
        // The chapter list and (with no chapter row) chapter 0's own fetch both meet the fault.
        const Timed timed = Run([&] { ClickOk(); });
        EXPECT_LT(timed.took, Bound(fault, 2));
        ExpectLive(timed);
        EXPECT_EQ(Context().state.BookTitle, Gbk("青梧"));
        EXPECT_EQ(Context().state.ChapterIndex, 0);
        const int rows = Port().RowCount(control::超级列表框章节列表);
        EXPECT_EQ(Port().RowCount(control::超级列表框页面列表), rows);
        if (fault.readable == Readable::Garbled) {
            EXPECT_LE(rows, 2);
        } else {
            EXPECT_EQ(rows, fault.readable == Readable::Yes ? 2 : 0);
        }
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
        window_.reset();
        ExpectDb1(kSettings, kShelf);
    }
}

TEST_F(SiteFaults, ChapterShowWritesTheEmptyPageOrTheChapter) {
    for (const Fault& fault : Faults()) {
        SCOPED_TRACE(fault.name);
        OpenWindow();
        OpenBook();
        site_.Override("/book/1/1234/2.html", fault.response(GoodChapterPage()));
        const Timed timed = Run([&] { ActivateChapter(1); });
        EXPECT_LT(timed.took, Bound(fault, 1));
        ExpectLive(timed);
        EXPECT_EQ(Context().state.ChapterIndex, 1);
        if (fault.readable == Readable::Garbled) {
            // Cut by bytes: the title as sent, or nothing when a marker was not found.
            EXPECT_TRUE(Context().state.ChapterTitle == "第2章 标题" ||
                        Context().state.ChapterTitle.empty());
        } else {
            EXPECT_EQ(Context().state.ChapterTitle,
                      fault.readable == Readable::Yes ? Gbk("第2章 标题") : "");
        }
        // The page file is written whatever came back, and the view shows it.
        EXPECT_FALSE(Window().超文本浏览框1->toPlainText().contains(QStringLiteral("第1章")));
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
        window_.reset();
        ExpectDb1(kSettings, kShelf);
    }
}

}  // namespace
}  // namespace qingwu::test
