#include <curl/curl.h>

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "web/fetch_page.h"

namespace {

// libcurl's process-wide setup for as long as the program runs.
class CurlGlobal {
  public:
    CurlGlobal() : ok_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}
    ~CurlGlobal() {
        if (ok_) {
            curl_global_cleanup();
        }
    }
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
    bool Ok() const { return ok_; }

  private:
    bool ok_;
};

}  // namespace

int main(int argc, char** argv) {
    CurlGlobal curl;
    if (!curl.Ok()) {
        std::fputs("qingwu-reader: libcurl could not be initialised\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    qingwu::SetPendingEventsPump([] { QCoreApplication::processEvents(); });

    // The run directory is the folder of the program file; data/ lies beside it.
    const QByteArray runDirectory = QCoreApplication::applicationDirPath().toUtf8();
    qingwu::MessagePresenter presenter;
    // The window lives until the event loop has returned, so an operation interrupted inside a
    // pump by the window's closing still finds it.
    qingwu::MainWindow window(runDirectory.toStdString(), presenter);
    window.ShowCentred();
    const int status = app.exec();
    qingwu::SetPendingEventsPump({});
    return status;
}
