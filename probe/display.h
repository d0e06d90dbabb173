#pragma once

#include <string>

#include "text/text.h"

namespace qingwu::probe {

// How texts of the program (GBK bytes) are shown on a terminal or in JSON: decoded as the reader
// decodes them, in UTF-8.
std::string Shown(TextView gbk);

// Shown on one line: line breaks, tabs and other control characters written as \r, \n, \t,
// \xHH, so that a marker or a match made of several lines stays readable.
std::string OneLine(TextView gbk);

// The exact bytes: printable ASCII as it is (a backslash doubled), every other byte as \xHH.
// Unescape reverses it; a malformed escape is kept as its characters.
std::string EscapedBytes(TextView bytes);
Text Unescape(std::string_view escaped);

// The first or the last count characters of a text (as decoded), one-lined; the whole text when
// it is not longer.
std::string HeadChars(TextView gbk, int count);
std::string TailChars(TextView gbk, int count);

// Number of characters (as decoded) of a text.
int CharCount(TextView gbk);

// The text of a pattern with a marker inserted before the character at offset (from 0), to show
// where a pattern stops compiling.
std::string MarkOffset(TextView gbkPattern, int offset);

}  // namespace qingwu::probe
