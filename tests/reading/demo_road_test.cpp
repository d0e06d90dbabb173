// The reader's road on the demo site itself: the demo site program runs as a child process and
// the delivered profile row, pointed at its port, is the only website.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "app/report_list.h"
#include "app/title_box.h"
#include "app/toolbar.h"
#include "tests/demo/demo_site_process.h"
#include "tests/support/temp_run_dir.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

class DemoRoad : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(site.Started()) << site.FirstOutput();
        const std::string port = std::to_string(site.Port());
        ASSERT_TRUE(
            run.ExecSk("UPDATE 书库信息 SET "
                       "书库网站搜索页地址 = replace(书库网站搜索页地址, ':18080', ':" +
                       port + "'), 网址章节列表页 = replace(网址章节列表页, ':18080', ':" + port +
                       "'), 网址章节内容页 = replace(网址章节内容页, ':18080', ':" + port + "');"));
        presenter.UseScriptedAnswers();
    }

    MainWindow& Start() {
        window = std::make_unique<MainWindow>(run.Path(), presenter);
        window->ShowCentred();
        window->activateWindow();
        QApplication::processEvents();
        return *window;
    }
    void Close() {
        window->close();
        QApplication::processEvents();
        window.reset();
    }
    void SearchAndOpen(const char* title) {
        window->编辑框书名->setText(QString::fromUtf8(title));
        QTest::keyClick(window->编辑框书名, Qt::Key_Return);
        ASSERT_TRUE(window->分组框搜索->isVisible());
        QTest::mouseClick(window->按钮确定, Qt::LeftButton);
    }
    // An arrow key pressed on the keyboard, as the window system delivers it.
    void PressArrow(Qt::Key key) {
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyPress, key, {});
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyRelease, key, {});
        QApplication::processEvents();
    }
    const OpenBookState& State() { return window->Context().state; }

    demo::testing::DemoSiteProcess site{{"--port", "0"}};
    TempRunDir run;
    MessagePresenter presenter;
    std::unique_ptr<MainWindow> window;
};

TEST_F(DemoRoad, SearchReadShelveCloseAndReopen) {
    MainWindow& w = Start();
    SearchAndOpen("唐诗");
    EXPECT_EQ(GbkToUtf8(State().BookTitle), "唐诗三百首");
    EXPECT_EQ(w.超级列表框章节列表->RowCount(), 313);
    ASSERT_FALSE(State().ChapterTitle.empty());
    const Text firstTitle = State().ChapterTitle;

    PressArrow(Qt::Key_Right);
    PressArrow(Qt::Key_Right);
    PressArrow(Qt::Key_Left);
    EXPECT_EQ(State().ChapterIndex, 1);
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 1);
    const Text secondTitle = State().ChapterTitle;
    EXPECT_NE(secondTitle, firstTitle);

    QTest::mouseClick(w.工具条1->ItemWidget(2), Qt::LeftButton);  // 加入书架

    // A second book, not shelved: closing offers it, and Yes shelves it.
    SearchAndOpen("宋词");
    EXPECT_EQ(GbkToUtf8(State().BookTitle), "宋词一百首");
    PressArrow(Qt::Key_Right);
    presenter.QueueAnswer(MessagePresenter::Answer::Yes);
    Close();
    std::vector<std::string> messages;
    for (const auto& box : presenter.Shown()) {
        messages.push_back(box.caption + "|" + box.text);
    }
    EXPECT_EQ(messages,
              (std::vector<std::string>{"提示|添加成功", "提示|不存在此图书，是否加入书架？",
                                        "提示|添加成功"}));
    EXPECT_EQ(run.QueryDb1("SELECT 书籍名称, 当前章节 FROM 书签列表"),
              (TempRunDir::Rows{{"唐诗三百首", "1"}, {"宋词一百首", "1"}}));

    MainWindow& again = Start();
    ASSERT_EQ(again.超级列表框书架->RowCount(), 2);
    QTest::mouseClick(again.工具条1->ItemWidget(0), Qt::LeftButton);
    ReportList* shelf = again.超级列表框书架;
    QTest::mouseClick(shelf->viewport(), Qt::LeftButton, {},
                      shelf->visualRect(shelf->model()->index(0, 0)).center());
    QTest::mouseClick(again.按钮载入书签, Qt::LeftButton);
    EXPECT_EQ(State().ChapterIndex, 1);
    EXPECT_EQ(State().ChapterTitle, secondTitle);
    EXPECT_EQ(again.超级列表框章节列表->SelectedRow(), 1);
    PressArrow(Qt::Key_Right);
    EXPECT_EQ(run.QueryDb1("SELECT 当前章节 FROM 书签列表 WHERE 书籍名称 = '唐诗三百首'"),
              (TempRunDir::Rows{{"2"}}));
    Close();
}

}  // namespace
}  // namespace qingwu::test
