#include "web/text_between.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qingwu {
namespace {

bool BeginsTwoByteCharacter(unsigned char b) {
    return b >= 0x80;
}

unsigned char FoldAscii(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

// Compares sought with the bytes at text[at..]; the caller guarantees that they fit and that at
// is a character boundary. Only single-byte letters fold: the second byte of a two-byte
// character (which may lie in the ASCII letter range) is compared exactly.
bool EqualFoldingAscii(TextView text, std::size_t at, TextView sought) {
    bool secondByte = false;
    for (std::size_t i = 0; i < sought.size(); ++i) {
        const auto t = static_cast<unsigned char>(text[at + i]);
        const auto s = static_cast<unsigned char>(sought[i]);
        if (secondByte) {
            if (t != s) {
                return false;
            }
            secondByte = false;
        } else {
            if (FoldAscii(t) != FoldAscii(s)) {
                return false;
            }
            secondByte = BeginsTwoByteCharacter(t);
        }
    }
    return true;
}

// The next byte position at or after from where sought occurs, compared as if that position
// began a character (the caller accepts it only when it does).
std::size_t NextByteOccurrence(TextView text, TextView sought, std::size_t from, bool ignoreCase) {
    if (!ignoreCase) {
        return text.find(sought, from);
    }
    const auto first = static_cast<unsigned char>(sought[0]);
    const unsigned char lower = FoldAscii(first);
    const bool letter = lower >= 'a' && lower <= 'z';
    for (std::size_t p = from; p + sought.size() <= text.size(); ++p) {
        const auto b = static_cast<unsigned char>(text[p]);
        if ((b == first || (letter && FoldAscii(b) == lower)) &&
            EqualFoldingAscii(text, p, sought)) {
            return p;
        }
    }
    return TextView::npos;
}

// From boundary (a character start) to the first character start at or after p. Eight bytes
// that are all below 0x80 are eight characters, and eight bytes that are all 0x80 or above are
// four two-byte characters, so both are passed in one step; the rest goes character by
// character.
std::size_t AdvanceBoundary(TextView text, std::size_t boundary, std::size_t p) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (boundary + 8 <= p) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + boundary, sizeof word);
        const std::uint64_t high = word & kHighBits;
        if (high == 0 || high == kHighBits) {
            boundary += 8;
        } else {
            boundary += BeginsTwoByteCharacter(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        }
    }
    while (boundary < p) {
        boundary += BeginsTwoByteCharacter(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
    }
    return boundary;
}

}  // namespace

int Find(TextView text, TextView sought, int start, bool ignoreCase) {
    if (start < 1) {
        start = 1;
    }
    if (static_cast<std::size_t>(start) > text.size()) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    // boundary walks the character starts forward from start; every byte occurrence is checked
    // against it, so the text is walked once however many occurrences fall on a second byte.
    std::size_t boundary = static_cast<std::size_t>(start) - 1;
    std::size_t from = boundary;
    for (;;) {
        const std::size_t p = NextByteOccurrence(text, sought, from, ignoreCase);
        if (p == TextView::npos) {
            return -1;
        }
        boundary = AdvanceBoundary(text, boundary, p);
        if (boundary == p) {
            if (BeginsTwoByteCharacter(static_cast<unsigned char>(text[p])) &&
                p + 1 >= text.size()) {
                return -1;  // a two-byte character cut off by the end ends the search
            }
            return static_cast<int>(p) + 1;
        }
        from = boundary;  // p was a second byte: go on from the next character
    }
}

Text Mid(TextView text, int start, int count) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || count <= 0) {
        return Text();
    }
    return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

Text TextBetween(TextView text, TextView startMarker, TextView endMarker) {
    const int a = Find(text, startMarker, 1);
    if (a < 0) {
        // An absent start marker cuts nothing (rather than cutting from a position computed
        // from -1 near the start of the page).
        return Text();
    }
    const int s = a + static_cast<int>(startMarker.size());
    const int b = Find(text, endMarker, s);
    return Mid(text, s, b - s);
}

}  // namespace qingwu
