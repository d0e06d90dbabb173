// GBK, UTF-16 and UTF-8 conversions on arbitrary bytes: none may crash, read out of bounds or
// lose the rest of a text, and a decoded text must survive a round trip through GBK.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "text/gbk.h"

using qingwu::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The bytes as GBK. Every byte or byte pair gives at most one UTF-16 unit (no character
    // of code page 936 lies outside the basic plane), so nothing is invented.
    const std::u16string decoded = qingwu::GbkToUtf16(bytes);
    Require(decoded.size() <= bytes.size(), "GbkToUtf16 gives at most one unit per byte");
    Require(bytes.empty() == decoded.empty(), "GbkToUtf16 drops nothing");
    // What came out of GBK goes back into GBK and decodes to the same characters.
    const qingwu::Text reencoded = qingwu::Utf16ToGbk(decoded);
    Require(qingwu::GbkToUtf16(reencoded) == decoded, "GBK -> UTF-16 -> GBK round trip");
    // The UTF-8 path gives the same characters as the UTF-16 path.
    const std::string utf8 = qingwu::GbkToUtf8(bytes);
    Require(qingwu::Utf8ToUtf16(utf8) == decoded, "GbkToUtf8 agrees with GbkToUtf16");
    Require(qingwu::Utf8ToGbk(utf8) == reencoded, "Utf8ToGbk agrees with Utf16ToGbk");

    // The bytes as UTF-8 (invalid sequences become '?' or U+FFFD, never a failure).
    const qingwu::Text fromUtf8 = qingwu::Utf8ToGbk(bytes);
    Require(bytes.empty() == fromUtf8.empty(), "Utf8ToGbk drops nothing");
    const std::u16string utf16FromUtf8 = qingwu::Utf8ToUtf16(bytes);
    Require(qingwu::Utf8ToUtf16(qingwu::Utf16ToUtf8(utf16FromUtf8)) == utf16FromUtf8,
            "UTF-8 -> UTF-16 -> UTF-8 round trip of what was decoded");

    // The bytes as UTF-16 code units, lone surrogates included.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const qingwu::Text gbk = qingwu::Utf16ToGbk(units);
    Require(units.empty() == gbk.empty(), "Utf16ToGbk drops nothing");
    Require(gbk.size() <= 2 * units.size(), "Utf16ToGbk gives at most two bytes per unit");
    const std::string utf8FromUnits = qingwu::Utf16ToUtf8(units);
    Require(units.empty() == utf8FromUnits.empty(), "Utf16ToUtf8 drops nothing");
    return 0;
}
