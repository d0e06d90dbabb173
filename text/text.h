#pragma once

#include <string>
#include <string_view>

namespace qingwu {

// A text of the program: a byte string in GBK (Windows code page 936), exactly as received from a
// web page or typed by the user and converted. Lengths and positions count bytes. A byte of 0x80 or
// above begins a two-byte character (0x80 and 0xFF themselves stand alone, see gbk.h).
using Text = std::string;
using TextView = std::string_view;

}  // namespace qingwu
