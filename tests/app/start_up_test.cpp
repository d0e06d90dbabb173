// Start-up: the reading-settings selectors from 设置, the website selector from 书库信息, and a
// missing database file.
#include <QComboBox>
#include <QString>
#include <cstdio>
#include <filesystem>

#include "tests/app/window_fixture.h"

namespace qingwu::test {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class StartUpTest : public WindowTest {};

TEST_F(StartUpTest, SelectorsFollowTheFirstRowOfSettingsWithoutRewritingIt) {
    struct Case {
        const char* name;
        const char* rows;  // the rows of 设置, as an INSERT's values; empty: no row
        int fontIndex;
        int colourIndex;
        const char* fontText;
    };
    const Case cases[] = {
        {"one and three; the second row does not count", "(1, 3), (0, 0)", 1, 3, "中字体"},
        {"seven selects the last item", "(7, 0)", 2, 0, "默认字体"},
        {"minus five selects nothing", "(-5, 2)", -1, 2, ""},
        {"beyond the integer range selects the last item", "(99999999999, 1)", 2, 1, "默认字体"},
        {"no row gives item 0", "", 0, 0, "大字体"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempRunDir dir;
        ASSERT_TRUE(dir.ExecDb1("DELETE FROM 设置;"));
        if (*c.rows != '\0') {
            ASSERT_TRUE(dir.ExecDb1(std::string("INSERT INTO 设置 VALUES ") + c.rows + ";"));
        }
        const auto before = dir.QueryDb1("SELECT rowid, * FROM 设置 ORDER BY rowid;");

        MessagePresenter boxes;
        boxes.UseScriptedAnswers();
        MainWindow w(dir.Path(), boxes);
        auto* font = w.findChild<QComboBox*>(Q("组合框字体大小"));
        auto* colour = w.findChild<QComboBox*>(Q("组合框背景颜色"));
        ASSERT_NE(font, nullptr);
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(font->currentIndex(), c.fontIndex);
        EXPECT_EQ(colour->currentIndex(), c.colourIndex);
        EXPECT_EQ(font->currentText(), Q(c.fontText));
        EXPECT_TRUE(boxes.Shown().empty());
        // Saving the settings would replace the rows by one new row.
        EXPECT_EQ(dir.QueryDb1("SELECT rowid, * FROM 设置 ORDER BY rowid;"), before);
    }
}

TEST_F(StartUpTest, WebsiteSelectorListsTheProfilesInStoreOrder) {
    ASSERT_TRUE(
        run.ExecSk("DELETE FROM 书库信息;"
                   "INSERT INTO 书库信息 (书库名称) VALUES ('乙书库'), ('甲书库'), ('乙书库');"));
    Make();
    auto* sites = Find<QComboBox>("组合框1");
    ASSERT_EQ(sites->count(), 3);
    EXPECT_EQ(sites->itemText(0), Q("乙书库"));
    EXPECT_EQ(sites->itemText(1), Q("甲书库"));
    EXPECT_EQ(sites->itemText(2), Q("乙书库"));  // duplicates stay
    EXPECT_EQ(sites->currentIndex(), 0);
    EXPECT_TRUE(sites->isEditable());
}

TEST_F(StartUpTest, NoProfileLeavesTheWebsiteSelectorEmpty) {
    ASSERT_TRUE(run.ExecSk("DELETE FROM 书库信息;"));
    Make();
    auto* sites = Find<QComboBox>("组合框1");
    EXPECT_EQ(sites->count(), 0);
    EXPECT_EQ(sites->currentIndex(), -1);
    EXPECT_TRUE(presenter.Shown().empty());
}

TEST_F(StartUpTest, MissingSettingsFileShowsTheStoreErrorAndStartsAnyway) {
    ASSERT_EQ(std::remove(run.DataPath("db1.mdb").c_str()), 0);
    Make();
    ASSERT_FALSE(presenter.Shown().empty());
    const MessagePresenter::Box& box = presenter.Shown().front();
    EXPECT_EQ(box.caption, "错误");
    EXPECT_FALSE(box.text.empty());
    EXPECT_EQ(box.buttons, MessagePresenter::Buttons::Ok);
    EXPECT_EQ(Find<QComboBox>("组合框字体大小")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("组合框背景颜色")->currentIndex(), 0);
    // The website selector is still filled from sk.mdb.
    EXPECT_GT(Find<QComboBox>("组合框1")->count(), 0);

    window->ShowCentred();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(window->isVisible());
    // The program never creates a missing file.
    EXPECT_FALSE(std::filesystem::exists(run.DataPath("db1.mdb")));
}

TEST_F(StartUpTest, MissingWebsiteFileShowsTheStoreErrorAndLeavesTheSelectorEmpty) {
    ASSERT_EQ(std::remove(run.DataPath("sk.mdb").c_str()), 0);
    Make();
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown().front().caption, "错误");
    EXPECT_EQ(Find<QComboBox>("组合框1")->count(), 0);
    EXPECT_EQ(Find<QComboBox>("组合框字体大小")->currentIndex(), 2);  // the delivered row: 2, 0
}

}  // namespace
}  // namespace qingwu::test
