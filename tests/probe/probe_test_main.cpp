#include <curl/curl.h>
#include <gtest/gtest.h>

// libcurl is set up once, before any test and any thread, and torn down after all of them.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
