#include "probe/display.h"

#include <algorithm>

#include "text/gbk.h"

namespace qingwu::probe {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

std::string OneLineUtf16(std::u16string_view text) {
    std::string out;
    std::u16string run;
    const auto flush = [&] {
        out += Utf16ToUtf8(run);
        run.clear();
    };
    for (const char16_t c : text) {
        if (c >= 0x20 && c != 0x7F) {
            run += c;
            continue;
        }
        flush();
        switch (c) {
            case u'\r':
                out += "\\r";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                AppendHexByte(out, static_cast<unsigned char>(c));
        }
    }
    flush();
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string Shown(TextView gbk) {
    return GbkToUtf8(gbk);
}

std::string OneLine(TextView gbk) {
    return OneLineUtf16(GbkToUtf16(gbk));
}

std::string EscapedBytes(TextView bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            AppendHexByte(out, byte);
        }
    }
    return out;
}

Text Unescape(std::string_view escaped) {
    Text out;
    out.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 1 < escaped.size()) {
            if (escaped[i + 1] == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            if (escaped[i + 1] == 'x' && i + 3 < escaped.size()) {
                const int high = HexValue(escaped[i + 2]);
                const int low = HexValue(escaped[i + 3]);
                if (high >= 0 && low >= 0) {
                    out += static_cast<char>(high * 16 + low);
                    i += 3;
                    continue;
                }
            }
        }
        out += escaped[i];
    }
    return out;
}

std::string HeadChars(TextView gbk, int count) {
    const std::u16string text = GbkToUtf16(gbk);
    const size_t n = std::min(text.size(), static_cast<size_t>(std::max(count, 0)));
    return OneLineUtf16(std::u16string_view(text).substr(0, n));
}

std::string TailChars(TextView gbk, int count) {
    const std::u16string text = GbkToUtf16(gbk);
    const size_t n = std::min(text.size(), static_cast<size_t>(std::max(count, 0)));
    return OneLineUtf16(std::u16string_view(text).substr(text.size() - n));
}

int CharCount(TextView gbk) {
    return static_cast<int>(GbkToUtf16(gbk).size());
}

std::string MarkOffset(TextView gbkPattern, int offset) {
    const std::u16string text = GbkToUtf16(gbkPattern);
    const size_t at = std::min(text.size(), static_cast<size_t>(std::max(offset, 0)));
    const std::u16string_view view(text);
    return OneLineUtf16(view.substr(0, at)) + "<<HERE>>" + OneLineUtf16(view.substr(at));
}

}  // namespace qingwu::probe
