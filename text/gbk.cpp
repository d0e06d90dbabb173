#include "text/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/uset.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace qingwu {
namespace {

constexpr char16_t kDefaultUnicodeChar = u'?';
constexpr char kDefaultByte = '?';

bool IsLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// The two code-page tables, built once from ICU's windows-936-2000 converter.
//   single[b]          UTF-16 unit of a one-byte character (0x00..0x80, 0xFF)
//   pair[lead<<8|trail] UTF-16 unit of a two-byte character, 0 when the cell is unmapped
//   encode[u]          GBK bytes of UTF-16 unit u: 0 = no mapping, < 0x100 one byte,
//                       otherwise lead<<8|trail; U+0000 is special-cased by the encoder
struct CodePageTables {
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pair = std::vector<char16_t>(65536, 0);
    std::vector<uint16_t> encode = std::vector<uint16_t>(65536, 0);
};

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
struct SetCloser {
    void operator()(USet* s) const { uset_close(s); }
};

// Decodes one byte sequence with ICU; returns the single UTF-16 unit, or 0 when ICU reports an
// error or produces anything other than exactly one unit.
char16_t DecodeWithIcu(UConverter* cnv, const char* bytes, int length) {
    UErrorCode status = U_ZERO_ERROR;
    char16_t out[4];
    ucnv_reset(cnv);
    int32_t n = ucnv_toUChars(cnv, reinterpret_cast<UChar*>(out), 4, bytes, length, &status);
    if (U_FAILURE(status) || n != 1 || out[0] == 0xFFFD || out[0] == 0x1A) {
        return 0;
    }
    return out[0];
}

CodePageTables BuildTables() {
    CodePageTables t;
    for (int b = 0; b < 0x80; ++b) {
        t.single[b] = static_cast<char16_t>(b);
    }
    t.single[0x80] = u'\u20AC';
    t.single[0xFF] = u'\uF8F5';

    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> cnv(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status) || !cnv) {
        return t;  // ASCII only; every two-byte character then decodes as '?'
    }
    ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(cnv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    status = U_ZERO_ERROR;

    for (int b : {0x80, 0xFF}) {
        char byte = static_cast<char>(b);
        if (char16_t u = DecodeWithIcu(cnv.get(), &byte, 1)) {
            t.single[b] = u;
        }
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsTrailByte(static_cast<unsigned char>(trail))) {
                continue;
            }
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            t.pair[(lead << 8) | trail] = DecodeWithIcu(cnv.get(), bytes, 2);
        }
    }

    // Encoding: round-trip mappings first, then ICU's best-fit fallbacks for the rest.
    for (int b = 0; b < 256; ++b) {
        if (b < 0x81 || b == 0xFF) {
            t.encode[t.single[b]] = static_cast<uint16_t>(b);
        }
    }
    for (int code = 0x8140; code <= 0xFEFE; ++code) {
        char16_t u = t.pair[code];
        if (u != 0 && t.encode[u] == 0) {
            t.encode[u] = static_cast<uint16_t>(code);
        }
    }
    ucnv_setFallback(cnv.get(), true);
    std::unique_ptr<USet, SetCloser> set(uset_openEmpty());
    ucnv_getUnicodeSet(cnv.get(), set.get(), UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
    if (U_SUCCESS(status)) {
        int32_t ranges = uset_getItemCount(set.get());
        for (int32_t i = 0; i < ranges; ++i) {
            UChar32 start = 0, end = 0;
            UErrorCode itemStatus = U_ZERO_ERROR;
            if (uset_getItem(set.get(), i, &start, &end, nullptr, 0, &itemStatus) != 0) {
                continue;  // a string item, not a range
            }
            for (UChar32 c = start; c <= end && c <= 0xFFFF; ++c) {
                if (c == 0 || t.encode[c] != 0 || (c >= 0xD800 && c <= 0xDFFF)) {
                    continue;
                }
                UErrorCode s = U_ZERO_ERROR;
                char out[4];
                UChar unit = static_cast<UChar>(c);
                ucnv_resetFromUnicode(cnv.get());
                int32_t n = ucnv_fromUChars(cnv.get(), out, 4, &unit, 1, &s);
                if (U_FAILURE(s)) {
                    continue;
                }
                if (n == 1) {
                    t.encode[c] = static_cast<unsigned char>(out[0]);
                } else if (n == 2) {
                    t.encode[c] = static_cast<uint16_t>((static_cast<unsigned char>(out[0]) << 8) |
                                                        static_cast<unsigned char>(out[1]));
                }
            }
        }
    }
    return t;
}

const CodePageTables& Tables() {
    static const CodePageTables tables = BuildTables();
    return tables;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::u16string GbkToUtf16(TextView gbk) {
    const CodePageTables& t = Tables();
    const size_t n = gbk.size();
    // Every character takes at least one byte, so n units always suffice; the units are written
    // through a pointer and the string is cut to length once at the end.
    std::u16string out(n, u'\0');
    char16_t* o = out.data();
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            // Markup is mostly ASCII: widen it eight bytes at a time while no byte has its high
            // bit set.
            while (i + 8 <= n) {
                uint64_t word;
                std::memcpy(&word, in + i, 8);
                if ((word & 0x8080808080808080ull) != 0) {
                    break;
                }
                for (int k = 0; k < 8; ++k) {
                    o[k] = in[i + k];
                }
                o += 8;
                i += 8;
            }
            while (i < n && in[i] < 0x80) {
                *o++ = in[i++];
            }
            continue;
        }
        if (!IsLeadByte(b)) {
            *o++ = t.single[b];
            ++i;
            continue;
        }
        if (i + 1 >= n) {  // lone lead byte at the end
            *o++ = kDefaultUnicodeChar;
            break;
        }
        const unsigned char trail = in[i + 1];
        if (trail == 0) {  // the NUL is a character of its own
            *o++ = kDefaultUnicodeChar;
            ++i;
            continue;
        }
        const char16_t u = IsTrailByte(trail) ? t.pair[(b << 8) | trail] : 0;
        *o++ = u != 0 ? u : kDefaultUnicodeChar;
        i += 2;
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

Text Utf16ToGbk(std::u16string_view utf16) {
    const CodePageTables& t = Tables();
    // At most two bytes a unit; written through a pointer, cut to length at the end.
    Text out(utf16.size() * 2, '\0');
    char* o = out.data();
    for (const char16_t u : utf16) {
        if (u < 0x80) {  // ASCII and NUL are their own bytes
            *o++ = static_cast<char>(u);
            continue;
        }
        const uint16_t code = t.encode[u];
        if (code == 0) {
            *o++ = kDefaultByte;
        } else if (code < 0x100) {
            *o++ = static_cast<char>(code);
        } else {
            *o++ = static_cast<char>(code >> 8);
            *o++ = static_cast<char>(code & 0xFF);
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    const size_t n = utf16.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xF4) {
            size_t need = b < 0xE0 ? 1 : (b < 0xF0 ? 2 : 3);
            char32_t v = b & (b < 0xE0 ? 0x1F : (b < 0xF0 ? 0x0F : 0x07));
            size_t k = 1;
            for (; k <= need && i + k < n; ++k) {
                const auto cb = static_cast<unsigned char>(utf8[i + k]);
                if ((cb & 0xC0) != 0x80) {
                    break;
                }
                v = (v << 6) | (cb & 0x3F);
            }
            if (k == need + 1) {
                const bool overlong = (need == 2 && v < 0x800) || (need == 3 && v < 0x10000);
                const bool surrogate = v >= 0xD800 && v <= 0xDFFF;
                if (!overlong && !surrogate && v <= 0x10FFFF) {
                    c = v;
                }
                len = need + 1;
            } else {
                len = k;  // consume the valid prefix, then resynchronise
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += len;
    }
    return out;
}

std::string GbkToUtf8(TextView gbk) {
    return Utf16ToUtf8(GbkToUtf16(gbk));
}

Text Utf8ToGbk(std::string_view utf8) {
    return Utf16ToGbk(Utf8ToUtf16(utf8));
}

}  // namespace qingwu
