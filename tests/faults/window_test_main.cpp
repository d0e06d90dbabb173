// The main of the window fault tests: one application object for all tests (offscreen unless a
// platform is chosen), libcurl set up once, and the pending-events pump that lets the window
// stay live while a fetch waits, as the program sets it.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <cstdlib>

#include "web/fetch_page.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    curl_global_init(CURL_GLOBAL_ALL);
    int status = 0;
    {
        QApplication app(argc, argv);
        qingwu::SetPendingEventsPump([] { QCoreApplication::processEvents(); });
        status = RUN_ALL_TESTS();
        qingwu::SetPendingEventsPump({});
    }
    curl_global_cleanup();
    return status;
}
