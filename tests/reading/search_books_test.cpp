#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/report_list.h"
#include "app/title_box.h"
#include "tests/reading/reader_harness.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

const std::string kSearchPrefix = "searchclass=1&searchkey=";

TEST(SearchBooks, EmptyTitleIsRefusedWithoutARequest) {
    ReaderHarness h;
    h.Site().SetSearchResults({"甲"}, {"1"}, {"0"}, {"书"});
    MainWindow& w = h.Start();
    w.超级列表框搜索结果->InsertRow(-1, "old");
    h.Search("");
    EXPECT_EQ(h.Messages(), std::vector<std::string>{"错误！|请输入书名！"});
    EXPECT_EQ(w.超级列表框搜索结果->RowCount(), 0);
    EXPECT_EQ(h.Site().Server().RequestCount(), 0u);
}

TEST(SearchBooks, EnterReleasedInTheTitleBoxSearches) {
    ReaderHarness h;
    h.Site().SetSearchResults({"甲"}, {"1"}, {"0"}, {"书"});
    MainWindow& w = h.Start();
    w.编辑框书名->setText(QStringLiteral("书"));
    QTest::keyPress(w.编辑框书名, Qt::Key_A);
    QTest::keyRelease(w.编辑框书名, Qt::Key_A);
    EXPECT_EQ(h.Site().Server().RequestCount(), 0u);
    QTest::keyClick(w.编辑框书名, Qt::Key_Return);
    EXPECT_EQ(h.Site().Server().RequestCount(), 1u);
}

TEST(SearchBooks, TitleIsSentAsTypedInGbk) {
    struct Case {
        const char* name;
        std::string typed;
        std::string expectedBody;
    } cases[] = {
        {"two_blanks", "  ", kSearchPrefix + "  "},
        {"chinese_as_raw_gbk", "唐诗", kSearchPrefix + "\xCC\xC6\xCA\xAB"},
        {"ampersand_not_encoded", "a&b=c", kSearchPrefix + "a&b=c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderHarness h;
        h.Site().SetSearchResults({}, {}, {}, {});
        h.Start();
        h.Search(c.typed);
        const auto requests = h.Site().Server().Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "POST");
        EXPECT_EQ(requests[0].body, c.expectedBody);
        EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    }
}

TEST(SearchBooks, ResultsLineUpByMatchOrder) {
    struct Case {
        const char* name;
        std::vector<std::string> authors, ids, prefixes, titles;
        std::vector<std::pair<std::string, std::string>> rows;  // column 0, column 1
        bool success;
    } cases[] = {
        {"three_of_each",
         {"甲", "乙", "丙"},
         {"11", "12", "13"},
         {"1", "1", "1"},
         {"一书", "二书", "三书"},
         {{"一书", "甲"}, {"二书", "乙"}, {"三书", "丙"}},
         true},
        {"five_titles_for_three_authors",
         {"甲", "乙", "丙"},
         {"11", "12", "13"},
         {"1", "1", "1"},
         {"一", "二", "三", "四", "五"},
         {{"一", "甲"}, {"二", "乙"}, {"三", "丙"}},
         true},
        {"one_title_for_three_authors",
         {"甲", "乙", "丙"},
         {"11", "12", "13"},
         {"1", "1", "1"},
         {"一"},
         {{"一", "甲"}, {"2", "乙"}, {"3", "丙"}},
         true},
        {"ids_missing",
         {"甲", "乙", "丙"},
         {},
         {"1"},
         {"一", "二", "三"},
         {{"一", "甲"}, {"二", "乙"}, {"三", "丙"}},
         false},
        {"ids_without_authors", {}, {"11", "12"}, {"1", "1"}, {"一"}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderHarness h;
        h.Site().SetSearchResults(c.authors, c.ids, c.prefixes, c.titles);
        MainWindow& w = h.Start();
        const std::string siteBefore = GbkToUtf8(h.State().SiteName);
        h.Search("书");

        ReportList* list = w.超级列表框搜索结果;
        ASSERT_EQ(list->RowCount(), static_cast<int>(c.rows.size()));
        for (size_t r = 0; r < c.rows.size(); ++r) {
            EXPECT_EQ(ReaderHarness::Cell(list, r, 0), c.rows[r].first) << r;
            EXPECT_EQ(ReaderHarness::Cell(list, r, 1), c.rows[r].second) << r;
        }
        EXPECT_EQ(h.State().FoundBookIds.size(), c.ids.size());
        EXPECT_EQ(h.State().FoundIdPrefixes.size(), c.prefixes.size());
        if (c.success) {
            EXPECT_TRUE(h.Messages().empty());
            EXPECT_TRUE(w.分组框搜索->isVisible());
            EXPECT_EQ(list->SelectedRow(), c.rows.empty() ? -1 : 0);
        } else {
            EXPECT_EQ(h.Messages(), std::vector<std::string>{
                                        "错误信息|请检查输入的书名是否正确或该网站不存在此图书！"});
            EXPECT_FALSE(w.分组框搜索->isVisible());
        }
        // The open book's website changes only when a result is opened.
        EXPECT_EQ(GbkToUtf8(h.State().SiteName), siteBefore);
    }
}

TEST(SearchBooks, FetchFailureEndsWithTheFailureMessage) {
    ReaderHarness h;
    // A search address on a port where nothing listens.
    h.Run().ExecSk("UPDATE 书库信息 SET 书库网站搜索页地址 = 'http://127.0.0.1:1/search.php';");
    MainWindow& w = h.Start();
    h.Search("书");
    EXPECT_EQ(h.Messages(),
              std::vector<std::string>{"错误信息|请检查输入的书名是否正确或该网站不存在此图书！"});
    EXPECT_FALSE(w.分组框搜索->isVisible());
}

TEST(SearchBooks, WebsiteNameWithAnApostropheIsFound) {
    ReaderHarness h;
    h.Run().ExecSk("UPDATE 书库信息 SET 书库名称 = 'O''Brien''s 书屋';");
    h.Site().SetSearchResults({"甲"}, {"11"}, {"1"}, {"一书"});
    MainWindow& w = h.Start();
    ASSERT_EQ(w.组合框1->currentText(), QStringLiteral("O'Brien's 书屋"));
    h.Search("书");
    EXPECT_TRUE(h.Messages().empty());
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框搜索结果, 0, 0), "一书");
    EXPECT_TRUE(w.分组框搜索->isVisible());
}

TEST(SearchBooks, SearchOvertakenByANewerOneLeavesTheNewerResults) {
    ReaderHarness h;
    auto page = [](const std::string& author, const std::string& id) {
        return GbkPage(Gbk("<author>" + author + "</author><bookid>" + id + "</bookid><prefix>" +
                           "1</prefix><title>" + author + "书</title>"));
    };
    // The first search's answer comes slowly; the second one's at once.
    h.Site().Server().SetHandler([&](const RecordedRequest& req, std::size_t index) -> Response {
        if (index == 0) {
            Response slow = page("旧", "1");
            slow.front().delay = std::chrono::milliseconds(400);
            return slow;
        }
        return page("新", "2");
    });
    MainWindow& w = h.Start();
    // While the first search waits for its page, the user searches again.
    QTimer::singleShot(100, &w, [&] {
        w.编辑框书名->setText(QStringLiteral("新"));
        QTest::mouseClick(w.按钮搜索, Qt::LeftButton);
    });
    h.Search("旧");
    EXPECT_EQ(h.Site().Server().RequestCount(), 2u);
    ASSERT_EQ(w.超级列表框搜索结果->RowCount(), 1);
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框搜索结果, 0, 0), "新书");
    EXPECT_EQ(h.State().FoundBookIds, std::vector<Text>{"2"});
    EXPECT_TRUE(h.Messages().empty());
}

}  // namespace
}  // namespace qingwu::test
