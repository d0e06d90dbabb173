#include "bench/support/window/reader_window.h"

#include <curl/curl.h>

#include <QCoreApplication>
#include <QPushButton>
#include <cstdlib>

#include "reading/control_names.h"
#include "text/gbk.h"
#include "web/fetch_page.h"

namespace qingwu::bench {

ReaderProcess::ReaderProcess(int& argc, char** argv) {
    curlReady_ = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app_ = std::make_unique<QApplication>(argc, argv);
    SetPendingEventsPump([] { QCoreApplication::processEvents(); });
}

ReaderProcess::~ReaderProcess() {
    SetPendingEventsPump({});
    app_.reset();
    if (curlReady_) {
        curl_global_cleanup();
    }
}

ReaderWindow::ReaderWindow(BenchSite& site) {
    site.PointProfileAt(runDir_);
    presenter_.UseScriptedAnswers();
    window_ = std::make_unique<MainWindow>(runDir_.Path(), presenter_);
    window_->ShowCentred();
    QCoreApplication::processEvents();
}

bool ReaderWindow::Search(const std::string& titleUtf8, int hits) {
    MainWindowPort& w = Port();
    w.SetEditText(control::编辑框书名, Utf8ToGbk(titleUtf8));
    window_->按钮搜索->click();
    return w.RowCount(control::超级列表框搜索结果) == hits && w.IsVisible(control::分组框搜索);
}

bool ReaderWindow::OpenResult(int row, int chapters) {
    MainWindowPort& w = Port();
    w.SetSelectedRow(control::超级列表框搜索结果, row);
    window_->按钮确定->click();
    return w.RowCount(control::超级列表框章节列表) == chapters &&
           Context().state.ChapterIndex == 0 && !Context().state.ChapterTitle.empty();
}

}  // namespace qingwu::bench
