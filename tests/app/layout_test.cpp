// The window's frame, the layout of the reading area, the splitter and the toolbar.
#include <QGroupBox>
#include <QScreen>
#include <QToolButton>

#include "app/page_view.h"
#include "app/report_list.h"
#include "app/splitter_bar.h"
#include "app/toolbar.h"
#include "tests/app/window_fixture.h"
#include "tests/reading/fixture_site.h"

namespace qingwu::test {
namespace {

class LayoutTest : public WindowTest {
  protected:
    QRect Geometry(std::string_view name) const { return Find(name)->geometry(); }
};

TEST_F(LayoutTest, FirstShowGivesTheReadingAreaTheWindowSize) {
    MakeShown();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("青梧电子书阅读器\r\n"));
    EXPECT_EQ(Geometry("分组框1"), QRect(0, 56, 591, 459));
    EXPECT_EQ(Geometry("超级列表框章节列表"), QRect(3, 8, 105, 449));
    EXPECT_EQ(Geometry("分隔条1"), QRect(108, 8, 5, 449));
    EXPECT_EQ(Geometry("超文本浏览框1"), QRect(113, 8, 476, 449));
    EXPECT_EQ(Find<ReportList>("超级列表框章节列表")->ColumnWidth(0), 105);
    // Centred on the screen.
    const QPoint centre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->frameGeometry().center() - centre).manhattanLength(), 2);
}

TEST_F(LayoutTest, MaximisingAndRestoringFollowTheOuterSize) {
    MakeShown();
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->isMaximized(); }));
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return window->frameGeometry().size() != QSize(600, 549); }));
    const QSize outer = window->frameGeometry().size();
    EXPECT_EQ(Geometry("分组框1").size(), QSize(outer.width() - 9, outer.height() - 90));
    EXPECT_EQ(Geometry("超文本浏览框1"),
              QRect(113, 8, outer.width() - 9 - 10 - 105, outer.height() - 100));
    // Nothing but the reading area moves.
    EXPECT_EQ(Geometry("编辑框书名"), QRect(328, 9, 104, 31));

    window->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([this] {
        return !window->isMaximized() && window->frameGeometry().size() == QSize(600, 549);
    }));
    EXPECT_EQ(Geometry("分组框1"), QRect(0, 56, 591, 459));
    EXPECT_EQ(Geometry("超文本浏览框1").width(), 476);
}

TEST_F(LayoutTest, AnotherSizeWhileRestoredIsTurnedBack) {
    MakeShown();
    window->resize(700, 650);
    ASSERT_TRUE(QTest::qWaitFor([this] {
        return window->frameGeometry().size() == QSize(600, 549) &&
               Find("分组框1")->size() == QSize(591, 459);
    }));
    EXPECT_EQ(Geometry("超文本浏览框1").width(), 476);
}

TEST_F(LayoutTest, SplitterDragsAreHeldBetween80And240) {
    struct Case {
        const char* name;
        int target;
        int splitterLeft;
    };
    const Case cases[] = {
        {"far left", 30, 80},
        {"just left of the limit", 60, 80},
        {"inside", 150, 150},
        {"far right", 400, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeShown();
        window->MoveSplitter(108, c.target);
        const int listWidth = c.splitterLeft - 5;
        EXPECT_EQ(Geometry("分隔条1"), QRect(c.splitterLeft, 8, 5, 449));
        EXPECT_EQ(Geometry("超级列表框章节列表"), QRect(3, 8, listWidth, 449));
        EXPECT_EQ(Find<ReportList>("超级列表框章节列表")->ColumnWidth(0), listWidth);
        EXPECT_EQ(Geometry("超文本浏览框1"),
                  QRect(c.splitterLeft + 5, 8, 591 - 20 - listWidth, 449));
        window.reset();
    }
}

TEST_F(LayoutTest, MouseDragOfTheSplitterMovesIt) {
    MakeShown();
    auto* bar = Find<SplitterBar>("分隔条1");
    // Take hold 2 pixels into the bar, let go where its left edge would be at 60: held to 80.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(bar, QPoint(2 - 20, 100));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2 - 48, 100));
    EXPECT_EQ(Geometry("分隔条1").x(), 80);
    EXPECT_EQ(Geometry("超级列表框章节列表").width(), 75);
    EXPECT_EQ(Geometry("超文本浏览框1").x(), 85);

    // A click without a move is no drag.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(2, 100));
    EXPECT_EQ(Geometry("超级列表框章节列表").width(), 75);

    // The next size change widens the HTML view again by the size rule.
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->isMaximized(); }));
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->frameGeometry().width() != 600; }));
    EXPECT_EQ(Geometry("超文本浏览框1").width(), window->frameGeometry().width() - 9 - 10 - 75);
}

TEST_F(LayoutTest, ToolbarItemsAreNumberedWithTheirSeparators) {
    Make();
    auto* bar = Find<Toolbar>("工具条1");
    ASSERT_EQ(bar->ItemCount(), 11);
    const char* captions[] = {"我的书架", "", "加入书架", "", "上一章", "",
                              "下一章",   "", "设置",     "", ""};
    for (int item = 0; item < 11; ++item) {
        SCOPED_TRACE(item);
        QAction* action = bar->Item(item);
        const bool button = item % 2 == 0 && item < 9;
        EXPECT_EQ(action->isSeparator(), !button);
        EXPECT_EQ(action->text(), QString::fromUtf8(captions[item]));
        if (button) {
            EXPECT_FALSE(action->icon().pixmap(32, 32).isNull());
            auto* tool = qobject_cast<QToolButton*>(bar->ItemWidget(item));
            ASSERT_NE(tool, nullptr);
            EXPECT_EQ(tool->iconSize(), QSize(32, 32));
        }
    }
    // The toolbar stands above the reading area.
    EXPECT_EQ(bar->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(bar->width(), 594);
    EXPECT_GE(bar->height(), 28);
    EXPECT_LE(bar->height(), 56);
}

TEST_F(LayoutTest, ToolbarTogglesThePanelsAndItsSeparatorsDoNothing) {
    MakeShown();
    auto* bar = Find<Toolbar>("工具条1");
    auto* shelfPanel = Find("分组框我的书架");
    auto* settingsPanel = Find("分组框设置");
    auto* shelf = Find<ReportList>("超级列表框书架");
    ASSERT_EQ(shelf->RowCount(), 0);  // loaded at the first activation
    ASSERT_TRUE(
        run.ExecDb1("INSERT INTO 书签列表 VALUES "
                    "('书一', '作者一', '11', '第一章', '1', '0', '甲书库');"));

    // Separators: no panel changes, no message, nothing loaded.
    for (int item : {1, 3, 5, 7, 9, 10, 11, -1}) {
        window->RunToolbarButton(item);
    }
    QTest::mouseClick(bar->ItemWidget(1), Qt::LeftButton);
    EXPECT_TRUE(shelfPanel->isHidden());
    EXPECT_TRUE(settingsPanel->isHidden());
    EXPECT_TRUE(presenter.Shown().empty());

    // Item 0: shown with the list as loaded before, then reloaded and hidden.
    QTest::mouseClick(bar->ItemWidget(0), Qt::LeftButton);
    EXPECT_FALSE(shelfPanel->isHidden());
    EXPECT_EQ(shelf->RowCount(), 0);
    QTest::mouseClick(bar->ItemWidget(0), Qt::LeftButton);
    EXPECT_TRUE(shelfPanel->isHidden());
    ASSERT_EQ(shelf->RowCount(), 1);
    EXPECT_EQ(shelf->CellText(0, 3), Gbk("甲书库"));

    // Item 8: shown, then hidden.
    QTest::mouseClick(bar->ItemWidget(8), Qt::LeftButton);
    EXPECT_FALSE(settingsPanel->isHidden());
    QTest::mouseClick(bar->ItemWidget(8), Qt::LeftButton);
    EXPECT_TRUE(settingsPanel->isHidden());
    EXPECT_TRUE(presenter.Shown().empty());
}

TEST_F(LayoutTest, CloseAndCancelOnlyHideTheirPanels) {
    MakeShown();
    window->RunToolbarButton(0);
    window->Port().SetVisible(control::分组框搜索, true);
    QTest::mouseClick(Find("按钮关闭"), Qt::LeftButton);
    EXPECT_TRUE(Find("分组框我的书架")->isHidden());
    EXPECT_FALSE(Find("分组框搜索")->isHidden());
    QTest::mouseClick(Find("按钮取消"), Qt::LeftButton);
    EXPECT_TRUE(Find("分组框搜索")->isHidden());
    EXPECT_TRUE(presenter.Shown().empty());
}

}  // namespace
}  // namespace qingwu::test
