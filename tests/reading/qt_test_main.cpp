#include <curl/curl.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "web/fetch_page.h"

// Runs the window tests on a real QApplication, offscreen unless a platform is chosen, with the
// pending-events pump the program itself installs.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    curl_global_init(CURL_GLOBAL_ALL);
    QApplication app(argc, argv);
    qingwu::SetPendingEventsPump([] { QCoreApplication::processEvents(); });
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    qingwu::SetPendingEventsPump({});
    curl_global_cleanup();
    return status;
}
