// Text as the program sees it: counted UTF-16 strings, 1-based positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelandra {

using Text = std::u16string;
using TextView = std::u16string_view;

// 1-based position of `needle` in `haystack`, exact comparison; 0 when absent.
int32_t textFind(TextView haystack, TextView needle);

// Up to `count` characters from 1-based `start`; empty past the end.
Text textMid(TextView text, int32_t start, int32_t count);

// ASCII-only upper-casing; backends with a locale-aware service use their own.
Text asciiUpper(TextView text);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, uint32_t codePoint);
// A code point as one or two UTF-16 units.
void appendUtf16(Text& out, uint32_t codePoint);
// The length of the well-formed UTF-8 sequence at the start of `bytes` (not empty), its code
// point in `codePoint`; 0 when it is none (overlong forms, encoded surrogates and values past
// U+10FFFF included). The one reading of UTF-8 for every caller.
size_t utf8SequenceAt(std::string_view bytes, uint32_t& codePoint);
std::string toUtf8(TextView text);
Text fromUtf8(std::string_view utf8);

}  // namespace pelandra
