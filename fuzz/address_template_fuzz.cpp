// FillAddressTemplate on arbitrary templates and values, compared with a plain reading of its
// rule: every "文章子序号" replaced by the prefix, then every "文章序号" by the book number, each
// scan going forward by characters and never rescanning what it inserted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "reading/book_opening.h"
#include "text/gbk.h"

using qingwu::fuzz::Require;

namespace {

// Every character-aligned occurrence of placeholder replaced by value, left to right.
std::string ReplaceEvery(const std::string& text, const std::string& placeholder,
                         const std::string& value) {
    std::string out;
    std::size_t p = 0;
    while (p < text.size()) {
        if (text.compare(p, placeholder.size(), placeholder) == 0) {
            out += value;
            p += placeholder.size();
            continue;
        }
        const std::size_t step = static_cast<unsigned char>(text[p]) >= 0x80 ? 2 : 1;
        if (step == 2 && p + 1 >= text.size()) {
            out += text.substr(p);  // a cut-off character: nothing can start after it
            break;
        }
        out += text.substr(p, step);
        p += step;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string kPrefix = qingwu::Utf8ToGbk("文章子序号");
    static const std::string kBookId = qingwu::Utf8ToGbk("文章序号");
    // Template, book number and prefix separated by zero bytes. A leading byte 1 spells the
    // placeholders into the template where the input has the bytes 1 and 2, so that templates
    // full of placeholders are tried without the fuzzer guessing their GBK bytes.
    auto parts = qingwu::fuzz::SplitInput(data, size, 3);
    std::string& addressTemplate = parts[0];
    if (!addressTemplate.empty() && addressTemplate[0] == '\x01') {
        std::string spelled;
        for (std::size_t i = 1; i < addressTemplate.size(); ++i) {
            const char c = addressTemplate[i];
            spelled += c == '\x01' ? kPrefix : c == '\x02' ? kBookId : std::string(1, c);
        }
        addressTemplate = spelled;
    }
    const std::string& bookId = parts[1];
    const std::string& idPrefix = parts[2];

    const std::string filled = qingwu::FillAddressTemplate(addressTemplate, bookId, idPrefix);
    Require(
        filled == ReplaceEvery(ReplaceEvery(addressTemplate, kPrefix, idPrefix), kBookId, bookId),
        "FillAddressTemplate replaces every placeholder once, prefix first");
    return 0;
}
