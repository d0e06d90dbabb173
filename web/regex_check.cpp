#define PCRE2_CODE_UNIT_WIDTH 16
#include "web/regex_check.h"

#include <pcre2.h>

#include <memory>
#include <string>

#include "text/gbk.h"
#include "web/regex_translator.h"

namespace qingwu {
namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeDeleter>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextDeleter>;

// The pattern is compiled as RegexMatcher compiles it for the profiles' flags (case ignored,
// multiline off): the same translation, the same options, the same wrapping in the callout that
// enforces the time budget. Keep the three in step with RegexMatcher::Impl::Compile.
constexpr bool kIgnoreCase = true;
constexpr uint32_t kCompileOptions =
    PCRE2_UTF | PCRE2_CASELESS | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
    PCRE2_ALLOW_EMPTY_CLASS | PCRE2_NEVER_BACKSLASH_C | PCRE2_NEVER_UCP;
constexpr std::u16string_view kWrapperStart = u"(?C255)(?:";
constexpr std::u16string_view kWrapperEnd = u")";

std::string Describe(PatternError error) {
    switch (error) {
        case PatternError::kSyntax:
            return "syntax error (5017)";
        case PatternError::kUnexpectedQuantifier:
            return "unexpected quantifier (5018)";
        case PatternError::kExpectedBracket:
            return "expected ']' (5019)";
        case PatternError::kExpectedParen:
            return "expected ')' (5020)";
        case PatternError::kInvalidRange:
            return "invalid range in character class (5021)";
        case PatternError::kNone:
            break;
    }
    return {};
}

// The compiled form of a pattern, or why there is none.
struct Compiled {
    CodePtr code;
    std::string error;
    int offset = -1;
};

Compiled Compile(const Text& pattern) {
    Compiled result;
    const std::u16string source = GbkToUtf16(pattern);
    const TranslatedPattern translated = TranslatePattern(source, kIgnoreCase);
    if (translated.error != PatternError::kNone) {
        result.error = Describe(translated.error);
        result.offset = static_cast<int>(translated.errorOffset);
        return result;
    }
    const CompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context) {
        result.error = "no memory for the pattern engine";
        result.offset = 0;
        return result;
    }
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    std::u16string wrapped(kWrapperStart);
    wrapped += translated.pcre2;
    wrapped += kWrapperEnd;
    int code = 0;
    PCRE2_SIZE at = 0;
    result.code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(wrapped.data()), wrapped.size(),
                                    kCompileOptions, &code, &at, context.get()));
    if (!result.code) {
        PCRE2_UCHAR message[256];
        const int length = pcre2_get_error_message(code, message, 256);
        result.error = length > 0 ? Utf16ToUtf8(std::u16string_view(
                                        reinterpret_cast<const char16_t*>(message), length))
                                  : "error " + std::to_string(code);
        // PCRE2 counts in the wrapped translation; the translator knows where each of its units
        // came from.
        const PCRE2_SIZE unit = at < kWrapperStart.size() ? 0 : at - kWrapperStart.size();
        result.offset =
            static_cast<int>(unit < translated.sourceOffsets.size() ? translated.sourceOffsets[unit]
                                                                    : source.size());
    }
    return result;
}

}  // namespace

bool CheckPattern(const Text& pattern, std::string* error, int* offset) {
    Compiled compiled = Compile(pattern);
    if (error) {
        *error = compiled.error;
    }
    if (offset) {
        *offset = compiled.offset;
    }
    return compiled.code != nullptr;
}

int CaptureGroupCount(const Text& pattern) {
    const Compiled compiled = Compile(pattern);
    if (!compiled.code) {
        return -1;
    }
    uint32_t count = 0;
    if (pcre2_pattern_info(compiled.code.get(), PCRE2_INFO_CAPTURECOUNT, &count) != 0) {
        return -1;
    }
    return static_cast<int>(count);
}

}  // namespace qingwu
