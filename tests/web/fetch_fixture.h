#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

#include "web/fetch_page.h"

namespace qingwu::test {

// Every fetch test starts from the production limits and no pump, and leaves them so.
class FetchTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = CurrentFetchLimits(); }
    void TearDown() override {
        CurrentFetchLimits() = saved_;
        SetPendingEventsPump(nullptr);
    }

    // Send and receive time-outs short enough for a test to wait them out.
    static void ShortenIdleTimeouts(std::chrono::milliseconds timeout) {
        CurrentFetchLimits().sendTimeout = timeout;
        CurrentFetchLimits().receiveTimeout = timeout;
    }

  private:
    FetchLimits saved_;
};

// Replaces every occurrence of placeholder in text.
inline std::string ReplaceAll(std::string text, std::string_view placeholder,
                              std::string_view value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

}  // namespace qingwu::test
