#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace qingwu {

// The one place where texts change encoding. All conversions follow the Windows code page 936
// rules: 0x80 is U+20AC, 0xFF is U+F8F5 and round-trips, user-defined cells map to the private use
// area, a lead byte followed by a byte that is not a valid trail (other than NUL) consumes both
// bytes and gives one '?', a lone lead byte at the end gives '?'. Encoding uses best fit, and a
// character without a mapping (or a lone surrogate) becomes '?'. No input makes these functions
// fail or drop the rest of a text.

// Decodes GBK bytes to UTF-16.
std::u16string GbkToUtf16(TextView gbk);

// Encodes UTF-16 to GBK bytes.
Text Utf16ToGbk(std::u16string_view utf16);

// Decodes GBK bytes to UTF-8 (for the database files and for output on a terminal).
std::string GbkToUtf8(TextView gbk);

// Encodes UTF-8 to GBK bytes; an invalid UTF-8 sequence becomes '?'.
Text Utf8ToGbk(std::string_view utf8);

// UTF-16 <-> UTF-8 without any code page in between; invalid sequences become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);

}  // namespace qingwu
