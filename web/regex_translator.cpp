#include "web/regex_translator.h"

#include <algorithm>
#include <cstdint>

namespace qingwu {
namespace {

constexpr int kMaxBackReference = 99;
// Quantifier counts beyond this are refused by PCRE2 too; parsing stops growing the number here
// so that a long run of digits cannot overflow.
constexpr std::uint32_t kMaxRepeatCount = 65535;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsOctalDigit(char16_t c) {
    return c >= u'0' && c <= u'7';
}
bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
int HexValue(char16_t c) {
    if (IsDigit(c)) {
        return c - u'0';
    }
    return (c | 0x20) - u'a' + 10;
}
bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsAsciiAlnum(char16_t c) {
    return IsAsciiLetter(c) || IsDigit(c);
}

// Characters that Unicode simple case folding joins with GBK characters while the dialect's rule
// (upper-case the character alone, never map a non-ASCII character to an ASCII one) keeps them
// apart: LONG S (s), GREEK CAPITAL THETA SYMBOL (theta), OHM SIGN (omega), KELVIN SIGN (k), and
// ANGSTROM SIGN and CAPITAL SHARP S, whose partners are not in GBK. Found by comparing both
// rules over every GBK character. None of them is in GBK, so they reach a pattern only through
// \u escapes; outside a class they are matched exactly.
bool FoldsFurtherThanUpperCasing(char32_t c) {
    switch (c) {
        case 0x017F:
        case 0x03F4:
        case 0x1E9E:
        case 0x2126:
        case 0x212A:
        case 0x212B:
            return true;
        default:
            return false;
    }
}

// One element of a character class: a single character or a class escape (\d \D \s \S \w \W).
struct ClassAtom {
    bool isEscape = false;
    char32_t ch = 0;      // the character, when !isEscape
    char16_t escape = 0;  // the escape letter, when isEscape
};

class Translator {
  public:
    Translator(std::u16string_view pattern, bool ignoreCase)
        : p_(pattern), ignoreCase_(ignoreCase), groupCount_(CountCaptureGroups(pattern)) {}

    TranslatedPattern Run() {
        out_.reserve(p_.size() * 2);
        sourceOffsets_.reserve(p_.size() * 2);
        while (i_ < p_.size() && error_ == PatternError::kNone) {
            itemStart_ = i_;
            Step();
            MarkSource(itemStart_);
        }
        if (!openGroups_.empty()) {
            Fail(PatternError::kExpectedParen, openGroups_.back());
        }
        TranslatedPattern result;
        result.error = error_;
        result.errorOffset = errorOffset_;
        if (error_ == PatternError::kNone) {
            result.pcre2 = std::move(out_);
            result.sourceOffsets = std::move(sourceOffsets_);
        }
        return result;
    }

  private:
    // Counts the capturing groups of the whole pattern, so that a digit escape can be read as a
    // back reference to a group that opens later (forward references count, as in ECMAScript).
    static int CountCaptureGroups(std::u16string_view p) {
        int count = 0;
        bool inClass = false;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const char16_t c = p[i];
            if (c == u'\\') {
                ++i;
            } else if (inClass) {
                if (c == u']') {
                    inClass = false;
                }
            } else if (c == u'[') {
                inClass = true;
                // A ']' right after '[' or '[^' closes an empty class.
                if (i + 1 < p.size() && p[i + 1] == u'^') {
                    ++i;
                }
                if (i + 1 < p.size() && p[i + 1] == u']') {
                    ++i;
                    inClass = false;
                }
            } else if (c == u'(' && (i + 1 >= p.size() || p[i + 1] != u'?')) {
                ++count;
            }
        }
        return count;
    }

    void Fail(PatternError e, std::size_t at) {
        if (error_ == PatternError::kNone) {
            error_ = e;
            errorOffset_ = at;
        }
    }
    void Fail(PatternError e) { Fail(e, itemStart_); }

    // Records that the output written since the last mark came from the item at source.
    void MarkSource(std::size_t source) { sourceOffsets_.resize(out_.size(), source); }

    void Emit(std::u16string_view s) { out_.append(s); }

    void EmitOctal(char32_t c) {
        char16_t digits[12];
        int n = 0;
        do {
            digits[n++] = static_cast<char16_t>(u'0' + (c & 7));
            c >>= 3;
        } while (c != 0);
        out_.append(u"\\o{");
        while (n > 0) {
            out_.push_back(digits[--n]);
        }
        out_.push_back(u'}');
    }

    // A literal character (at most U+FFFF) in a form PCRE2 reads the same way inside and
    // outside a class.
    void EmitLiteralUnit(char32_t c) {
        if (c < 0x80 && IsAsciiAlnum(static_cast<char16_t>(c))) {
            out_.push_back(static_cast<char16_t>(c));
        } else if (c > 0x20 && c < 0x7F) {
            out_.push_back(u'\\');  // a backslash before punctuation always means the character
            out_.push_back(static_cast<char16_t>(c));
        } else if (c < 0x80) {
            EmitOctal(c);  // control characters and space, written out
        } else {
            out_.push_back(static_cast<char16_t>(c));
        }
    }

    void EmitLiteral(char32_t c) {
        if (ignoreCase_ && FoldsFurtherThanUpperCasing(c)) {
            out_.append(u"(?-i:");
            EmitOctal(c);
            out_.push_back(u')');
        } else {
            EmitLiteralUnit(c);
        }
    }

    void Atom() { canQuantify_ = true; }
    void NotQuantifiable() { canQuantify_ = false; }

    void Step() {
        const char16_t c = p_[i_];
        switch (c) {
            case u'\\':
                Escape();
                return;
            case u'[':
                CharacterClass();
                return;
            case u'(':
                OpenGroup();
                return;
            case u')':
                if (openGroups_.empty()) {
                    Fail(PatternError::kSyntax);
                    return;
                }
                openGroups_.pop_back();
                ++i_;
                Emit(u")");
                Atom();
                return;
            case u'|':
            case u'^':
            case u'$':
                ++i_;
                out_.push_back(c);
                NotQuantifiable();
                return;
            case u'.':
                ++i_;
                Emit(u".");
                Atom();
                return;
            case u'*':
            case u'+':
            case u'?':
                ++i_;
                Quantifier(std::u16string(1, c));
                return;
            case u'{': {
                std::u16string q;
                if (ReadBraceQuantifier(q)) {
                    Quantifier(q);
                } else if (error_ == PatternError::kNone) {
                    ++i_;
                    Emit(u"\\{");
                    Atom();
                }
                return;
            }
            default:
                ++i_;
                EmitLiteral(c);
                Atom();
                return;
        }
    }

    // Reads {n}, {n,} or {n,m} at i_; on success advances past it and writes its PCRE2 form.
    // Anything else leaves i_ alone (the brace is then a literal character).
    bool ReadBraceQuantifier(std::u16string& q) {
        std::size_t j = i_ + 1;
        auto number = [&](std::uint32_t& value) {
            const std::size_t begin = j;
            value = 0;
            while (j < p_.size() && IsDigit(p_[j])) {
                value = std::min<std::uint32_t>(value * 10 + (p_[j] - u'0'), kMaxRepeatCount + 1);
                ++j;
            }
            return j > begin;
        };
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        if (!number(low)) {
            return false;
        }
        bool hasHigh = false;
        if (j < p_.size() && p_[j] == u',') {
            ++j;
            hasHigh = number(high);
        }
        if (j >= p_.size() || p_[j] != u'}') {
            return false;
        }
        if (low > kMaxRepeatCount || high > kMaxRepeatCount || (hasHigh && high < low)) {
            Fail(PatternError::kSyntax);
            return false;
        }
        q.assign(p_.substr(i_, j + 1 - i_));
        i_ = j + 1;
        return true;
    }

    // q is the quantifier already read; a '?' after it makes it lazy. Anything quantified twice
    // (a**, a*+, a{2}{3}) or nothing to quantify is an error.
    void Quantifier(const std::u16string& q) {
        if (!canQuantify_) {
            Fail(PatternError::kUnexpectedQuantifier);
            return;
        }
        Emit(q);
        if (i_ < p_.size() && p_[i_] == u'?') {
            ++i_;
            Emit(u"?");
        }
        canQuantify_ = false;
    }

    void OpenGroup() {
        ++i_;
        if (i_ < p_.size() && p_[i_] == u'?') {
            const char16_t kind = i_ + 1 < p_.size() ? p_[i_ + 1] : u'\0';
            if (kind != u':' && kind != u'=' && kind != u'!') {
                Fail(PatternError::kSyntax);  // lookbehind, named groups, inline flags, ...
                return;
            }
            i_ += 2;
            Emit(u"(?");
            out_.push_back(kind);
        } else {
            Emit(u"(");
        }
        openGroups_.push_back(itemStart_);
        NotQuantifiable();
    }

    // Written as a group of its own: PCRE2 lets a reference to a group that took no part match
    // the empty text (MATCH_UNSET_BACKREF) only when the reference itself is not repeated, so
    // \1+ or \1{2} would otherwise fail where the dialect matches the empty text.
    void BackReference(int n) {
        Emit(u"(?:\\g{");
        if (n >= 10) {
            out_.push_back(static_cast<char16_t>(u'0' + n / 10));
        }
        out_.push_back(static_cast<char16_t>(u'0' + n % 10));
        Emit(u"})");
    }

    // Reads an octal escape of up to three digits starting at i_ (a leading digit above 3 allows
    // only two, so the value stays within one byte).
    char32_t ReadOctal() {
        const std::size_t maxDigits = p_[i_] <= u'3' ? 3 : 2;
        char32_t value = 0;
        std::size_t n = 0;
        while (n < maxDigits && i_ < p_.size() && IsOctalDigit(p_[i_])) {
            value = value * 8 + (p_[i_] - u'0');
            ++i_;
            ++n;
        }
        return value;
    }

    // A digit escape outside a class, i_ at its first digit: \nm is a back reference when the
    // pattern has at least nm groups, else \n is one when it has n groups (the m stays a
    // literal), else an octal character when the digits are octal, else the digit itself.
    void DigitEscape() {
        const char16_t d1 = p_[i_];
        if (d1 != u'0') {
            if (i_ + 1 < p_.size() && IsDigit(p_[i_ + 1])) {
                const int nm = (d1 - u'0') * 10 + (p_[i_ + 1] - u'0');
                if (nm <= groupCount_ && nm <= kMaxBackReference) {
                    i_ += 2;
                    BackReference(nm);
                    Atom();
                    return;
                }
            }
            if (d1 - u'0' <= groupCount_) {
                ++i_;
                BackReference(d1 - u'0');
                Atom();
                return;
            }
        }
        EmitLiteral(ReadDigitCharacter());
        Atom();
    }

    // A digit escape read as a character: octal digits give their value, 8 and 9 themselves.
    char32_t ReadDigitCharacter() {
        if (IsOctalDigit(p_[i_])) {
            return ReadOctal();
        }
        return p_[i_++];
    }

    // Reads the character escapes shared by both contexts, i_ just after the backslash at the
    // escape letter. Returns false when the letter is not one of them.
    bool CharacterEscape(char32_t& out) {
        const char16_t c = p_[i_];
        switch (c) {
            case u'f':
                out = 0x0C;
                break;
            case u'n':
                out = 0x0A;
                break;
            case u'r':
                out = 0x0D;
                break;
            case u't':
                out = 0x09;
                break;
            case u'v':
                out = 0x0B;
                break;
            case u'c':
                if (i_ + 1 < p_.size() && IsAsciiLetter(p_[i_ + 1])) {
                    out = p_[i_ + 1] & 0x1F;
                    i_ += 2;
                    return true;
                }
                out = u'c';  // \c without a letter is the letter c
                break;
            case u'x':
                if (i_ + 2 < p_.size() && IsHexDigit(p_[i_ + 1]) && IsHexDigit(p_[i_ + 2])) {
                    out = static_cast<char32_t>(HexValue(p_[i_ + 1]) * 16 + HexValue(p_[i_ + 2]));
                    i_ += 3;
                    return true;
                }
                out = u'x';
                break;
            case u'u':
                if (i_ + 4 < p_.size() && IsHexDigit(p_[i_ + 1]) && IsHexDigit(p_[i_ + 2]) &&
                    IsHexDigit(p_[i_ + 3]) && IsHexDigit(p_[i_ + 4])) {
                    char32_t v = 0;
                    for (int k = 1; k <= 4; ++k) {
                        v = v * 16 + static_cast<char32_t>(HexValue(p_[i_ + k]));
                    }
                    out = v;
                    i_ += 5;
                    return true;
                }
                out = u'u';
                break;
            default:
                return false;
        }
        ++i_;
        return true;
    }

    void Escape() {
        ++i_;
        if (i_ >= p_.size()) {
            Fail(PatternError::kSyntax);  // a pattern cannot end in a backslash
            return;
        }
        const char16_t c = p_[i_];
        switch (c) {
            case u'b':
            case u'B':
                ++i_;
                Emit(c == u'b' ? u"\\b" : u"\\B");
                NotQuantifiable();
                return;
            case u'd':
            case u'D':
            case u's':
            case u'S':
            case u'w':
            case u'W':
                ++i_;
                out_.push_back(u'\\');
                out_.push_back(c);
                Atom();
                return;
            default:
                break;
        }
        if (IsDigit(c)) {
            DigitEscape();
            return;
        }
        char32_t ch = 0;
        if (!CharacterEscape(ch)) {
            ch = c;  // any other character stands for itself
            ++i_;
        }
        EmitLiteral(ch);
        Atom();
    }

    // Reads one class element at i_ (which is inside the pattern and not at the closing ']').
    ClassAtom ReadClassAtom() {
        ClassAtom atom;
        const char16_t c = p_[i_];
        if (c != u'\\') {
            ++i_;
            atom.ch = c;
            return atom;
        }
        ++i_;
        if (i_ >= p_.size()) {
            Fail(PatternError::kExpectedBracket);
            return atom;
        }
        const char16_t e = p_[i_];
        switch (e) {
            case u'd':
            case u'D':
            case u's':
            case u'S':
            case u'w':
            case u'W':
                ++i_;
                atom.isEscape = true;
                atom.escape = e;
                return atom;
            case u'b':
                ++i_;
                atom.ch = 0x08;  // backspace inside a class
                return atom;
            default:
                break;
        }
        if (IsDigit(e)) {
            atom.ch = ReadDigitCharacter();  // no back references inside a class
            return atom;
        }
        if (!CharacterEscape(atom.ch)) {
            atom.ch = e;
            ++i_;
        }
        return atom;
    }

    void EmitClassAtom(const ClassAtom& a) {
        if (a.isEscape) {
            out_.push_back(u'\\');
            out_.push_back(a.escape);
        } else {
            EmitLiteralUnit(a.ch);
        }
    }

    void CharacterClass() {
        ++i_;
        std::u16string_view open = u"[";
        if (i_ < p_.size() && p_[i_] == u'^') {
            ++i_;
            open = u"[^";
        }
        Emit(open);
        MarkSource(itemStart_);
        if (i_ < p_.size() && p_[i_] == u']') {
            // [] never matches and [^] matches any character; PCRE2 reads them so with
            // ALLOW_EMPTY_CLASS.
            ++i_;
            Emit(u"]");
            Atom();
            return;
        }
        while (error_ == PatternError::kNone) {
            if (i_ >= p_.size()) {
                Fail(PatternError::kExpectedBracket);
                return;
            }
            if (p_[i_] == u']') {
                ++i_;
                break;
            }
            const std::size_t atomStart = i_;
            const ClassAtom from = ReadClassAtom();
            if (error_ != PatternError::kNone) {
                return;
            }
            // A '-' followed by something other than the closing ']' makes a range.
            if (i_ + 1 < p_.size() && p_[i_] == u'-' && p_[i_ + 1] != u']') {
                ++i_;
                const ClassAtom to = ReadClassAtom();
                if (error_ != PatternError::kNone) {
                    return;
                }
                if (from.isEscape || to.isEscape) {
                    // [\d-z]: a range cannot start or end at a class escape, so the '-' is
                    // a literal character between the two.
                    EmitClassAtom(from);
                    Emit(u"\\-");
                    EmitClassAtom(to);
                } else if (from.ch > to.ch) {
                    Fail(PatternError::kInvalidRange, atomStart);
                    return;
                } else {
                    EmitClassAtom(from);
                    Emit(u"-");
                    EmitClassAtom(to);
                }
            } else {
                EmitClassAtom(from);
            }
            MarkSource(atomStart);
        }
        Emit(u"]");
        Atom();
    }

    std::u16string_view p_;
    bool ignoreCase_;
    int groupCount_;
    std::size_t i_ = 0;
    std::size_t itemStart_ = 0;            // where the item being translated begins
    std::vector<std::size_t> openGroups_;  // where each group still open begins
    std::size_t errorOffset_ = 0;
    std::vector<std::size_t> sourceOffsets_;
    bool canQuantify_ = false;  // the last item was an atom that a quantifier may follow
    PatternError error_ = PatternError::kNone;
    std::u16string out_;
};

}  // namespace

TranslatedPattern TranslatePattern(std::u16string_view pattern, bool ignoreCase) {
    return Translator(pattern, ignoreCase).Run();
}

}  // namespace qingwu
