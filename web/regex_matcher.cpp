#include "web/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "text/gbk.h"
#include "web/regex_diagnosis.h"
#include "web/regex_limits.h"
#include "web/regex_replacement.h"
#include "web/regex_translator.h"

namespace qingwu {
namespace {

static_assert(PCRE2_UNSET == kUnsetOffset);
static_assert(sizeof(PCRE2_UCHAR16) == sizeof(char16_t));

// Memory the interpreter may use for backtracking; PCRE2's default would be about 19 GiB.
constexpr uint32_t kHeapLimitKib = 64 * 1024;
// Steps the engine may take from one start position before it gives up on the whole search.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 4 * 1024 * 1024;
// The callout the pattern is wrapped in; it runs at every start position tried.
constexpr char16_t kBudgetCalloutPrefix[] = u"(?C255)(?:";

struct CodeFree {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

PCRE2_SPTR Units(const std::u16string& s) {
    return reinterpret_cast<PCRE2_SPTR>(s.data());
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The callout runs at every start position tried, so it reads the coarse monotonic clock: a
// memory read instead of a clock read, exact to a few milliseconds, plenty for a 1-second budget.
std::chrono::nanoseconds CoarseNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

struct Deadline {
    std::chrono::nanoseconds at;  // on the CoarseNow clock
};

// Ends the search once the deadline has passed; PCRE2 then returns PCRE2_ERROR_CALLOUT.
int CheckDeadline(pcre2_callout_block*, void* data) {
    const auto* deadline = static_cast<const Deadline*>(data);
    return CoarseNow() >= deadline->at ? PCRE2_ERROR_CALLOUT : 0;
}

const char* ErrorText(PatternError e) {
    switch (e) {
        case PatternError::kUnexpectedQuantifier:
            return "unexpected quantifier (5018)";
        case PatternError::kExpectedBracket:
            return "expected ']' (5019)";
        case PatternError::kExpectedParen:
            return "expected ')' (5020)";
        case PatternError::kInvalidRange:
            return "invalid range in character set (5021)";
        case PatternError::kSyntax:
        case PatternError::kNone:
            break;
    }
    return "syntax error (5017)";
}

struct CompiledPattern {
    CodePtr code;  // null when the pattern does not compile
    PatternDiagnosis diagnosis;
};

// Translates and compiles a pattern with the options of the dialect. The pattern is wrapped so
// that the deadline callout runs at every start position, whichever alternative matches.
CompiledPattern CompilePattern(const Text& gbkPattern, bool ignoreCase, bool multiline) {
    CompiledPattern result;
    const TranslatedPattern translated = TranslatePattern(GbkToUtf16(gbkPattern), ignoreCase);
    if (translated.error != PatternError::kNone) {
        result.diagnosis.message = ErrorText(translated.error);
        result.diagnosis.offset = static_cast<int>(translated.errorOffset);
        return result;
    }
    CompileContextPtr compileContext(pcre2_compile_context_create(nullptr));
    if (!compileContext) {
        result.diagnosis.message = "out of memory";
        return result;
    }
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);

    const std::u16string_view prefix = kBudgetCalloutPrefix;
    std::u16string wrapped(prefix);
    wrapped += translated.pcre2;
    wrapped += u')';

    uint32_t options = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX |
                       PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS |
                       PCRE2_NEVER_BACKSLASH_C | PCRE2_NEVER_UCP;
    if (ignoreCase) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    result.code.reset(pcre2_compile(Units(wrapped), wrapped.size(), options, &errorCode,
                                    &errorOffset, compileContext.get()));
    if (!result.code) {
        PCRE2_UCHAR message[256];
        if (pcre2_get_error_message(errorCode, message, 256) < 0) {
            message[0] = 0;
        }
        result.diagnosis.message = Utf16ToUtf8(reinterpret_cast<const char16_t*>(message));
        // Map PCRE2's offset in the wrapped translation back to the source pattern.
        const auto& map = translated.sourceOffsets;
        std::size_t at = errorOffset > prefix.size() ? errorOffset - prefix.size() : 0;
        if (map.empty()) {
            result.diagnosis.offset = 0;
        } else {
            result.diagnosis.offset = static_cast<int>(map[std::min(at, map.size() - 1)]);
        }
        return result;
    }
    uint32_t captures = 0;
    pcre2_pattern_info(result.code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    result.diagnosis.compiles = true;
    result.diagnosis.groupCount = static_cast<int>(captures);
    return result;
}

}  // namespace

PatternDiagnosis DiagnosePattern(const Text& pattern, bool ignoreCase, bool multiline) {
    return CompilePattern(pattern, ignoreCase, multiline).diagnosis;
}

struct RegexMatcher::Impl {
    Text pattern;
    bool global = true;
    CodePtr code;  // null when the pattern did not translate or compile
    MatchContextPtr matchContext;
    MatchDataPtr matchData;
    JitStackPtr jitStack;
    std::size_t groupCount = 0;

    // The last Execute: its decoded text and, per match, the start and end offsets of the whole
    // match and of each group (groupCount + 1 pairs) in one flat array.
    std::u16string subject;
    std::vector<PCRE2_SIZE> offsets;
    int matchCount = 0;

    std::size_t Stride() const { return 2 * (groupCount + 1); }

    bool Compile(const Text& gbkPattern, bool ignoreCase, bool multiline);
    // Runs the global loop over s, appending each match's offsets to out; stops at the end of
    // the text, after the first match without global, or when the budget or a limit is hit.
    void MatchAll(const std::u16string& s, std::vector<PCRE2_SIZE>& out);
    Text Slice(std::size_t match, std::size_t group) const;
};

// False only when memory for the contexts cannot be had; a pattern that does not compile leaves
// code null, so that every Execute finds nothing.
bool RegexMatcher::Impl::Compile(const Text& gbkPattern, bool ignoreCase, bool multiline) {
    matchContext.reset(pcre2_match_context_create(nullptr));
    if (!matchContext) {
        return false;
    }
    pcre2_set_heap_limit(matchContext.get(), kHeapLimitKib);
    pcre2_set_match_limit(matchContext.get(), kMatchLimit);
    CompiledPattern compiled = CompilePattern(gbkPattern, ignoreCase, multiline);
    if (!compiled.code) {
        return true;
    }
    matchData.reset(pcre2_match_data_create_from_pattern(compiled.code.get(), nullptr));
    if (!matchData) {
        return false;
    }
    code = std::move(compiled.code);
    groupCount = static_cast<std::size_t>(compiled.diagnosis.groupCount);
    // Without JIT (not built in, or refused for this pattern) the interpreter runs instead.
    if (regex_internal::JitEnabled() && pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0) {
        jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
        if (jitStack) {
            pcre2_jit_stack_assign(matchContext.get(), nullptr, jitStack.get());
        }
    }
    return true;
}

void RegexMatcher::Impl::MatchAll(const std::u16string& s, std::vector<PCRE2_SIZE>& out) {
    if (!code) {
        return;
    }
    Deadline deadline{CoarseNow() + regex_internal::ExecuteBudget()};
    pcre2_set_callout(matchContext.get(), &CheckDeadline, &deadline);
    const PCRE2_SIZE length = s.size();
    const std::size_t stride = Stride();
    PCRE2_SIZE pos = 0;
    while (pos <= length) {
        int rc = pcre2_match(code.get(), Units(s), length, pos, PCRE2_NO_UTF_CHECK, matchData.get(),
                             matchContext.get());
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
            // The interpreter keeps its backtracking state on the heap, bounded by the heap
            // limit, so it may finish where the JIT stack ran out.
            rc = pcre2_match(code.get(), Units(s), length, pos, PCRE2_NO_UTF_CHECK | PCRE2_NO_JIT,
                             matchData.get(), matchContext.get());
        }
        if (rc < 0) {
            break;  // no further match, or the budget or a limit ended the search
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
        out.insert(out.end(), ovector, ovector + stride);
        if (!global) {
            break;
        }
        const PCRE2_SIZE start = ovector[0];
        const PCRE2_SIZE end = ovector[1];
        if (end != start) {
            pos = end;
        } else {
            // After an empty match the next search starts one character later and may not find
            // a non-empty match at the same place.
            pos = end + 1;
            if (pos < length && IsLowSurrogate(s[pos])) {
                ++pos;
            }
        }
    }
    pcre2_set_callout(matchContext.get(), nullptr, nullptr);
}

Text RegexMatcher::Impl::Slice(std::size_t match, std::size_t group) const {
    const PCRE2_SIZE start = offsets[match * Stride() + 2 * group];
    const PCRE2_SIZE end = offsets[match * Stride() + 2 * group + 1];
    if (start == PCRE2_UNSET || end == PCRE2_UNSET || end < start) {
        return Text();
    }
    return Utf16ToGbk(std::u16string_view(subject).substr(start, end - start));
}

RegexMatcher::RegexMatcher() = default;
RegexMatcher::~RegexMatcher() = default;
RegexMatcher::RegexMatcher(RegexMatcher&&) noexcept = default;
RegexMatcher& RegexMatcher::operator=(RegexMatcher&&) noexcept = default;

bool RegexMatcher::Create(const Text& pattern, bool ignoreCase, bool multiline, bool global) {
    impl_.reset();
    auto impl = std::make_unique<Impl>();
    impl->pattern = pattern;
    impl->global = global;
    if (!impl->Compile(pattern, ignoreCase, multiline)) {
        return false;
    }
    impl_ = std::move(impl);
    return true;
}

Text RegexMatcher::GetPattern() const {
    return impl_ ? impl_->pattern : Text();
}

Text RegexMatcher::Replace(const Text& text, const Text& replacement) {
    if (!impl_ || !impl_->code) {
        return Text();
    }
    const std::u16string subject = GbkToUtf16(text);
    const std::u16string rule = GbkToUtf16(replacement);
    std::vector<PCRE2_SIZE> offsets;
    impl_->MatchAll(subject, offsets);
    const std::size_t stride = impl_->Stride();
    std::u16string out;
    out.reserve(subject.size());
    PCRE2_SIZE copied = 0;
    for (std::size_t m = 0; m < offsets.size(); m += stride) {
        const std::span<const std::size_t> match(offsets.data() + m, stride);
        out.append(subject, copied, match[0] - copied);
        AppendReplacement(rule, subject, match, out);
        copied = match[1];
    }
    out.append(subject, copied);
    return Utf16ToGbk(out);
}

int RegexMatcher::Execute(const Text& text) {
    if (!impl_) {
        return 0;
    }
    Impl& impl = *impl_;
    impl.offsets.clear();
    impl.matchCount = 0;
    impl.subject.clear();
    if (!impl.code) {
        return 0;
    }
    impl.subject = GbkToUtf16(text);
    impl.MatchAll(impl.subject, impl.offsets);
    impl.matchCount = static_cast<int>(impl.offsets.size() / impl.Stride());
    return impl.matchCount;
}

int RegexMatcher::MatchCount() const {
    return impl_ ? impl_->matchCount : 0;
}

Text RegexMatcher::MatchText(int matchIndex) const {
    if (!impl_ || matchIndex < 1 || matchIndex > impl_->matchCount) {
        return Text();
    }
    return impl_->Slice(static_cast<std::size_t>(matchIndex - 1), 0);
}

Text RegexMatcher::SubMatchText(int matchIndex, int groupIndex) const {
    if (!impl_ || matchIndex < 1 || matchIndex > impl_->matchCount || groupIndex < 1 ||
        static_cast<std::size_t>(groupIndex) > impl_->groupCount) {
        return Text();
    }
    return impl_->Slice(static_cast<std::size_t>(matchIndex - 1),
                        static_cast<std::size_t>(groupIndex));
}

int RegexMatcher::SubMatchCount() const {
    if (!impl_ || impl_->matchCount == 0) {
        return 0;
    }
    return static_cast<int>(impl_->groupCount);
}

}  // namespace qingwu
