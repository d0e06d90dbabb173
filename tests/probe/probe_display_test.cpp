#include <gtest/gtest.h>

#include "probe/display.h"

namespace qingwu::probe {
namespace {

// The saved-page index writes requests with EscapedBytes and reads them back with Unescape: every
// byte must survive, and the written form must hold no tab or line break.
TEST(ProbeDisplay, EscapedBytesRoundTripEveryByte) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    bytes += "\\x41\\\\";  // text that looks like an escape
    const std::string escaped = EscapedBytes(bytes);
    EXPECT_EQ(escaped.find_first_of("\t\r\n"), std::string::npos);
    EXPECT_EQ(Unescape(escaped), bytes);
    // A malformed escape stays as it is written.
    EXPECT_EQ(Unescape("a\\x4"), "a\\x4");
    EXPECT_EQ(Unescape("\\xZZ"), "\\xZZ");
}

}  // namespace
}  // namespace qingwu::probe
