#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qingwu {

// Offset of a capture group that took no part in a match.
inline constexpr std::size_t kUnsetOffset = static_cast<std::size_t>(-1);

// Appends to out the replacement text for one match. offsets holds start and end (UTF-16 units
// into subject) of the whole match followed by those of each group, kUnsetOffset for a group
// that took no part. In replacement, $$ is '$', $& the match, $` the text before it, $' the text
// after it, $n and $nn (1 to 99) a group: two digits are taken when they name a group, else one;
// a group that took no part gives nothing; a $ that starts none of these is itself.
void AppendReplacement(std::u16string_view replacement, std::u16string_view subject,
                       std::span<const std::size_t> offsets, std::u16string& out);

}  // namespace qingwu
