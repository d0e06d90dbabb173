#include "tests/faults/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "app/report_list.h"
#include "app/title_box.h"
#include "reading/control_names.h"

namespace qingwu::test {

void WindowFixture::SetUp() {
    savedLimits_ = CurrentFetchLimits();
    CurrentFetchLimits().connectTimeout = kFetchTimeout;
    CurrentFetchLimits().sendTimeout = kFetchTimeout;
    CurrentFetchLimits().receiveTimeout = kFetchTimeout;
    presenter_.UseScriptedAnswers();
    // Only the test's own site: the delivered profile names a fixed port on this machine.
    ASSERT_TRUE(run_.ExecSk("DELETE FROM 书库信息;"));
}

void WindowFixture::TearDown() {
    window_.reset();
    CurrentFetchLimits() = savedLimits_;
}

void WindowFixture::AddProfile(const std::string& nameUtf8, const std::string& searchUrl) {
    ASSERT_TRUE(run_.ExecSk(site_.ProfileSql(nameUtf8, searchUrl)));
}

void WindowFixture::OpenWindow() {
    window_ = std::make_unique<MainWindow>(run_.Path(), presenter_);
    window_->ShowCentred();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QCoreApplication::processEvents();
}

void WindowFixture::Search(const std::string& titleUtf8) {
    window_->编辑框书名->setText(QString::fromUtf8(titleUtf8.c_str()));
    QTest::mouseClick(window_->按钮搜索, Qt::LeftButton);
}

void WindowFixture::ClickOk() {
    QTest::mouseClick(window_->按钮确定, Qt::LeftButton);
}

void WindowFixture::ActivateChapter(int row) {
    window_->超级列表框章节列表->SelectRowWithFocus(row);
    window_->超级列表框章节列表->setFocus();
    QTest::keyClick(window_->超级列表框章节列表, Qt::Key_Return);
}

void WindowFixture::ChooseColour(int index) {
    QComboBox* box = window_->组合框背景颜色;
    box->setCurrentIndex(index);
    // What a choice in the drop-down list emits (a change by the program emits nothing).
    emit box->activated(index);
}

void WindowFixture::SelectShelfRow(int row) {
    window_->超级列表框书架->SetSelectedRow(row);
}

void WindowFixture::ClickLoadBookmark() {
    QTest::mouseClick(window_->按钮载入书签, Qt::LeftButton);
}

void WindowFixture::ClickAddToShelf() {
    QTest::mouseClick(window_->按钮加入书架, Qt::LeftButton);
}

void WindowFixture::OpenBook(const std::string& titleUtf8) {
    Search(titleUtf8);
    ASSERT_TRUE(window_->分组框搜索->isVisible()) << "the search found nothing";
    ClickOk();
    ASSERT_EQ(Context().state.ChapterTitle, Gbk("第1章 标题"));
}

void WindowFixture::CloseWhen(std::function<bool()> condition) {
    auto* timer = new QTimer(window_.get());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, condition] {
        if (condition()) {
            timer->stop();
            closed_ = window_->close();
        }
    });
    timer->start();
}

bool WindowFixture::WaitUntil(const std::function<bool()>& condition,
                              std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

std::vector<std::string> WindowFixture::TakeMessages() {
    std::vector<std::string> texts;
    for (const MessagePresenter::Box& box : presenter_.Shown()) {
        texts.push_back(box.text);
    }
    presenter_.ClearShown();
    return texts;
}

void WindowFixture::ExpectDb1(const TempRunDir::Rows& settings, const TempRunDir::Rows& shelf) {
    EXPECT_EQ(run_.QueryDb1("PRAGMA integrity_check"), TempRunDir::Rows{{"ok"}});
    EXPECT_EQ(run_.QueryDb1("SELECT * FROM 设置"), settings);
    EXPECT_EQ(ShelfRows(), shelf);
}

TempRunDir::Rows WindowFixture::ShelfRows() const {
    return run_.QueryDb1("SELECT * FROM 书签列表 ORDER BY rowid");
}

}  // namespace qingwu::test
