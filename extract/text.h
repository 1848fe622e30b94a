#pragma once
// Text conversion and marker-based extraction over code page 936 byte strings.
//
// A Text holds code page 936 bytes (iconv's GB18030, so no character is ever lost);
// a character is one byte below 0x80 or a lead byte of 0x80 or more with the byte after it.
// Positions are 1-based byte positions and -1 means "not found". A ByteArray is a counted
// run of bytes that may hold zeros; UTF-16 in it is little-endian.
#include <string>
#include <string_view>

namespace melkora {

using Text = std::string;
using ByteArray = std::string;

// The quote marker: stands for one double quote inside text_between's markers and, on request,
// inside a regular-expression pattern.
inline constexpr std::string_view k_quote_marker = "#\xD2\xFD\xBA\xC5";  // "#引号" in code page 936

// Every "#引号" in the text replaced by a double quote, left to right.
Text replace_quote_markers(std::string_view text);

int find_marker(std::string_view text, std::string_view marker, int start = 1, bool ignore_case = false);
int find_marker_last(std::string_view text, std::string_view marker);

Text text_left_of(std::string_view text, std::string_view marker, int start = 1, bool ignore_case = false);
Text text_between(std::string_view text, std::string_view left, std::string_view right, int start = 1,
                  bool ignore_case = false);
Text text_between_outer(std::string_view text, std::string_view left, std::string_view right);

ByteArray ansi_to_utf16(std::string_view text, bool drop_terminator = false);
Text utf16_to_ansi(std::string_view utf16le);
Text utf8_to_ansi(std::string_view utf8);
ByteArray multibyte_to_utf16(std::string_view text, int code_page = 65001);
Text utf16_to_multibyte(std::string_view utf16le, int code_page = 0);

// Turns a UTF-8 literal of the sources into code page 936 text: the one way Chinese
// literals enter the program's texts.
Text ansi(std::string_view utf8_literal);
// The reverse, for places that must leave the code page: the file system, the wire, Qt.
std::string ansi_to_utf8(std::string_view text);

}  // namespace melkora
