#include <curl/curl.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include "web/fetch_page.h"

// The window tests run on a real QApplication; without a display they use the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
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
