#include "web/regex_replacement.h"

namespace qingwu {
namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void AppendGroup(std::u16string_view subject, std::span<const std::size_t> offsets,
                 std::size_t group, std::u16string& out) {
    const std::size_t start = offsets[2 * group];
    const std::size_t end = offsets[2 * group + 1];
    if (start != kUnsetOffset && end != kUnsetOffset && start <= end) {
        out.append(subject.substr(start, end - start));
    }
}

}  // namespace

void AppendReplacement(std::u16string_view replacement, std::u16string_view subject,
                       std::span<const std::size_t> offsets, std::u16string& out) {
    const std::size_t groups = offsets.size() / 2 - 1;
    const std::size_t n = replacement.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = replacement[i];
        if (c != u'$' || i + 1 >= n) {
            out.push_back(c);
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out.push_back(u'$');
            ++i;
        } else if (next == u'&') {
            AppendGroup(subject, offsets, 0, out);
            ++i;
        } else if (next == u'`') {
            out.append(subject.substr(0, offsets[0]));
            ++i;
        } else if (next == u'\'') {
            out.append(subject.substr(offsets[1]));
            ++i;
        } else if (IsDigit(next)) {
            const std::size_t one = next - u'0';
            std::size_t two = 0;
            const bool hasTwo = i + 2 < n && IsDigit(replacement[i + 2]);
            if (hasTwo) {
                two = one * 10 + (replacement[i + 2] - u'0');
            }
            if (hasTwo && two >= 1 && two <= groups) {
                AppendGroup(subject, offsets, two, out);
                i += 2;
            } else if (one >= 1 && one <= groups) {
                AppendGroup(subject, offsets, one, out);
                ++i;
            } else {
                out.push_back(c);  // $0 or a group the pattern does not have: literal text
            }
        } else {
            out.push_back(c);
        }
    }
}

}  // namespace qingwu
