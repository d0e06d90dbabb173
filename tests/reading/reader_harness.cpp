#include "tests/reading/reader_harness.h"

#include <sys/stat.h>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/report_list.h"
#include "app/title_box.h"
#include "app/toolbar.h"
#include "text/gbk.h"

namespace qingwu::test {

QString Q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), utf8.size());
}

ReaderHarness::ReaderHarness() {
    presenter_.UseScriptedAnswers();
    run_.ExecSk("DELETE FROM 书库信息;");
    run_.ExecSk(site_.ProfileSql());
}

ReaderHarness::~ReaderHarness() {
    if (window_) {
        CloseWindow();
    }
}

MainWindow& ReaderHarness::Start() {
    window_ = std::make_unique<MainWindow>(run_.Path(), presenter_);
    window_->ShowCentred();
    window_->activateWindow();
    QApplication::processEvents();
    return *window_;
}

void ReaderHarness::CloseWindow() {
    window_->close();
    QApplication::processEvents();
    window_.reset();
}

void ReaderHarness::Search(const std::string& titleUtf8) {
    window_->编辑框书名->setText(Q(titleUtf8));
    QTest::mouseClick(window_->按钮搜索, Qt::LeftButton);
}

void ReaderHarness::ClickRow(ReportList* list, int row) {
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void ReaderHarness::OpenFirstResult() {
    QTest::mouseClick(window_->按钮确定, Qt::LeftButton);
}

void ReaderHarness::OpenBook(int chapters, const std::string& titleUtf8,
                             const std::string& authorUtf8, const std::string& id,
                             const std::string& prefix) {
    site_.AddBook(id, prefix, chapters);
    site_.SetSearchResults({authorUtf8}, {id}, {prefix}, {titleUtf8});
    if (!window_) {
        Start();
    }
    Search(titleUtf8);
    OpenFirstResult();
}

void ReaderHarness::ClickToolbar(int item) {
    QTest::mouseClick(window_->工具条1->ItemWidget(item), Qt::LeftButton);
}

std::string ReaderHarness::PageFile() const {
    std::ifstream in(run_.DataPath("1.html"), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool ReaderHarness::PageFileExists() const {
    struct stat st {};
    return ::stat(run_.DataPath("1.html").c_str(), &st) == 0;
}

std::vector<std::string> ReaderHarness::Messages() const {
    std::vector<std::string> out;
    for (const auto& box : presenter_.Shown()) {
        out.push_back(box.caption + "|" + box.text);
    }
    return out;
}

std::string ReaderHarness::Cell(ReportList* list, int row, int column) {
    return GbkToUtf8(list->CellText(row, column));
}

}  // namespace qingwu::test
