#include "extract/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace melkora {
namespace {

using namespace std::string_literals;

// Bytes written as hex pairs, so that expected code page 936 and UTF-16 data reads as it is.
std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

// 0x5B 0x81 0x5D 0x5D: "[", the two-byte character whose second byte is "]", then "]".
const std::string k_bracketed_char = bytes({0x5B, 0x81, 0x5D, 0x5D});

struct FindCase {
    const char* name;
    std::string text;
    std::string marker;
    int start;
    bool ignore_case;
    int expected;
};

class FindMarker : public testing::TestWithParam<FindCase> {};

TEST_P(FindMarker, GivesFirstCharacterAlignedPosition) {
    const FindCase& c = GetParam();
    EXPECT_EQ(find_marker(c.text, c.marker, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindMarker,
    testing::Values(
        FindCase{"first", "abcabc", "bc", 1, false, 2},
        FindCase{"from_start", "abcabc", "bc", 3, false, 5},
        FindCase{"start_zero_is_one", "abcabc", "ab", 0, false, 1},
        FindCase{"negative_start_is_one", "abcabc", "ab", -7, false, 1},
        FindCase{"start_past_end", "abc", "c", 4, false, -1},
        FindCase{"marker_longer_than_rest", "abcabc", "bc", 6, false, -1},
        FindCase{"absent", "abc", "x", 1, false, -1},
        FindCase{"empty_marker_is_position_one", "abc", "", 3, false, 1},
        FindCase{"empty_marker_past_end", "abc", "", 4, false, -1},
        FindCase{"empty_marker_empty_text", "", "", 1, false, -1},
        FindCase{"case_sensitive_by_default", "xABCx", "abc", 1, false, -1},
        FindCase{"ignore_case_ascii", "xABCx", "abc", 1, true, 2},
        FindCase{"ignore_case_leaves_punctuation", "a[b", "{", 1, true, -1},
        FindCase{"second_byte_never_matches", k_bracketed_char, "]", 1, false, 4},
        FindCase{"four_byte_char_steps_whole", bytes({0x81, 0x30, 0x81, 0x30, 0x30}), "0", 1, false, 5},
        FindCase{"lone_lead_byte_at_end", bytes({0x61, 0x81}), bytes({0x81}), 1, false, -1},
        FindCase{"text_ends_at_zero", "ab\0cd"s, "cd", 1, false, -1},
        FindCase{"chinese_marker", "x" + ansi("引号") + "y", ansi("号"), 1, false, 4}),
    [](const testing::TestParamInfo<FindCase>& p) { return std::string(p.param.name); });

struct LastCase {
    const char* name;
    std::string text;
    std::string marker;
    int expected;
};

class FindMarkerLast : public testing::TestWithParam<LastCase> {};

TEST_P(FindMarkerLast, GivesLastCharacterAlignedPosition) {
    EXPECT_EQ(find_marker_last(GetParam().text, GetParam().marker), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindMarkerLast,
    testing::Values(LastCase{"last", "a]b]c", "]", 4}, LastCase{"absent", "abc", "]", -1},
                    LastCase{"skips_second_byte", bytes({0x81, 0x5D}), "]", -1},
                    LastCase{"after_two_byte_char", k_bracketed_char, "]", 4},
                    LastCase{"whole_text", "}}", "}}", 1}),
    [](const testing::TestParamInfo<LastCase>& p) { return std::string(p.param.name); });

struct ExtractCase {
    const char* name;
    std::string text;
    std::string left;
    std::string right;  // unused by text_left_of
    int start;
    std::string expected;
};

class TextLeftOf : public testing::TestWithParam<ExtractCase> {};

TEST_P(TextLeftOf, CutsBeforeMarker) {
    const ExtractCase& c = GetParam();
    EXPECT_EQ(text_left_of(c.text, c.left, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLeftOf,
    testing::Values(ExtractCase{"before_bracket", "list[3]", "[", "", 1, "list"},
                    ExtractCase{"no_marker", "list", "[", "", 1, ""},
                    ExtractCase{"marker_first", "[3]", "[", "", 1, ""},
                    ExtractCase{"from_start", "a=b=c", "=", "", 3, "a=b"},
                    ExtractCase{"keeps_two_byte_char", k_bracketed_char, "]", "", 1, bytes({0x5B, 0x81, 0x5D})}),
    [](const testing::TestParamInfo<ExtractCase>& p) { return std::string(p.param.name); });

class TextBetween : public testing::TestWithParam<ExtractCase> {};

TEST_P(TextBetween, CutsBetweenMarkers) {
    const ExtractCase& c = GetParam();
    EXPECT_EQ(text_between(c.text, c.left, c.right, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetween,
    testing::Values(
        ExtractCase{"brackets", "[12]", "[", "]", 1, "12"},
        ExtractCase{"nothing_between", "a[]", "[", "]", 1, ""},
        ExtractCase{"no_right_marker", "a[1", "[", "]", 1, ""},
        ExtractCase{"left_marker_ends_text", "a[", "[", "]", 1, ""},
        ExtractCase{"no_left_marker", "a1]", "[", "]", 1, ""},
        ExtractCase{"start_zero_is_one", "[1][2]", "[", "]", 0, "1"},
        ExtractCase{"start_below_zero_is_one", "[1][2]", "[", "]", -3, "1"},
        ExtractCase{"start_skips_first", "[1][2]", "[", "]", 2, "2"},
        ExtractCase{"right_searched_after_left", "]a[b]", "[", "]", 1, "b"},
        ExtractCase{"quote_marker_in_both", "x=\"1\"", "x=" + ansi("#引号"), ansi("#引号"), 1, "1"},
        ExtractCase{"quote_marker_twice", "a\"\"b\"c", ansi("#引号#引号"), ansi("#引号"), 1, "b"},
        ExtractCase{"quote_marker_not_in_text", ansi("x#引号1#引号"), "x" + ansi("#引号"), ansi("#引号"), 1, ""},
        ExtractCase{"two_byte_char_inside", k_bracketed_char, "[", "]", 1, bytes({0x81, 0x5D})},
        ExtractCase{"chinese_markers", ansi("歌名《晴天》完"), ansi("《"), ansi("》"), 1, ansi("晴天")}),
    [](const testing::TestParamInfo<ExtractCase>& p) { return std::string(p.param.name); });

TEST(TextBetween, IgnoreCaseAppliesToBothMarkers) {
    EXPECT_EQ(text_between("<A HREF=x>", "href=", ">", 1, true), "x");
    EXPECT_EQ(text_between("<A HREF=x>", "href=", ">", 1, false), "");
}

class TextBetweenOuter : public testing::TestWithParam<ExtractCase> {};

TEST_P(TextBetweenOuter, CutsFromFirstLeftToLastRight) {
    const ExtractCase& c = GetParam();
    EXPECT_EQ(text_between_outer(c.text, c.left, c.right), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenOuter,
    testing::Values(ExtractCase{"nested", "{a:{b:1}}", "{", "}", 1, "a:{b:1}"},
                    ExtractCase{"left_absent", "a:1}", "{", "}", 1, ""},
                    ExtractCase{"right_absent", "{a:1", "{", "}", 1, ""},
                    ExtractCase{"right_before_left_end", "}{", "{", "}", 1, ""},
                    ExtractCase{"right_at_left_end", "{}", "{", "}", 1, ""},
                    ExtractCase{"overlapping_markers", "[[]", "[[", "[]", 1, ""},
                    ExtractCase{"no_quote_marker_rule", ansi("#引号x#引号"), ansi("#引号"), ansi("#引号"), 1, "x"},
                    ExtractCase{"page_array", "var list = [{a:1},{b:2}];\nx=[];", "var list = ", ";\n", 1,
                                "[{a:1},{b:2}]"}),
    [](const testing::TestParamInfo<ExtractCase>& p) { return std::string(p.param.name); });

struct ConvertCase {
    const char* name;
    std::string input;
    std::string expected;
};

class AnsiToUtf16 : public testing::TestWithParam<std::tuple<ConvertCase, bool>> {};

TEST_P(AnsiToUtf16, KeepsOrDropsTerminator) {
    const auto& [c, drop] = GetParam();
    EXPECT_EQ(ansi_to_utf16(c.input, drop), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    KeepTerminator, AnsiToUtf16,
    testing::Combine(testing::Values(ConvertCase{"empty", "", ""},
                                     ConvertCase{"ascii", "A", bytes({0x41, 0, 0, 0})},
                                     ConvertCase{"chinese", bytes({0xD6, 0xD0}), bytes({0x2D, 0x4E, 0, 0})},
                                     ConvertCase{"stops_at_zero", "A\0B"s, bytes({0x41, 0, 0, 0})}),
                     testing::Values(false)),
    [](const auto& p) { return std::string(std::get<0>(p.param).name); });

INSTANTIATE_TEST_SUITE_P(
    DropTerminator, AnsiToUtf16,
    testing::Combine(testing::Values(ConvertCase{"empty", "", ""}, ConvertCase{"ascii", "A", bytes({0x41, 0})},
                                     ConvertCase{"four_byte_char", bytes({0x94, 0x39, 0xFC, 0x36}),
                                                 bytes({0x3D, 0xD8, 0x00, 0xDE})}),
                     testing::Values(true)),
    [](const auto& p) { return std::string(std::get<0>(p.param).name); });

class Utf16ToAnsi : public testing::TestWithParam<ConvertCase> {};

TEST_P(Utf16ToAnsi, ConvertsUpToFirstZeroUnit) {
    EXPECT_EQ(utf16_to_ansi(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToAnsi,
    testing::Values(ConvertCase{"stops_at_zero_unit", bytes({0x41, 0, 0, 0, 0x42, 0}), "A"},
                    ConvertCase{"odd_byte_ignored", bytes({0x41, 0, 0x42}), "A"},
                    ConvertCase{"empty", "", ""},
                    ConvertCase{"chinese", bytes({0x2D, 0x4E}), bytes({0xD6, 0xD0})},
                    ConvertCase{"composes_pinyin_vowel", bytes({0x61, 0, 0x01, 0x03}), ansi("á")},
                    ConvertCase{"composes_u_umlaut_twice", bytes({0x75, 0, 0x08, 0x03, 0x0C, 0x03}), ansi("ǚ")},
                    ConvertCase{"keeps_mark_without_precomposed", bytes({0x71, 0, 0x01, 0x03}), ansi("q\u0301")},
                    ConvertCase{"surrogate_pair", bytes({0x3D, 0xD8, 0x00, 0xDE}), bytes({0x94, 0x39, 0xFC, 0x36})},
                    ConvertCase{"lone_surrogate_is_default_char", bytes({0x41, 0, 0x3D, 0xD8, 0x42, 0}), "A?B"}),
    [](const testing::TestParamInfo<ConvertCase>& p) { return std::string(p.param.name); });

class Utf8ToAnsi : public testing::TestWithParam<ConvertCase> {};

TEST_P(Utf8ToAnsi, ConvertsAndRoundTrips) {
    const ConvertCase& c = GetParam();
    const Text converted = utf8_to_ansi(c.input);
    EXPECT_EQ(converted, c.expected);
    EXPECT_EQ(ansi_to_utf8(converted), c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToAnsi,
    testing::Values(ConvertCase{"chinese", bytes({0xE4, 0xB8, 0xAD}), bytes({0xD6, 0xD0})},
                    ConvertCase{"ascii", "song", "song"},
                    ConvertCase{"empty", "", ""},
                    ConvertCase{"korean", "\xED\x95\x9C", bytes({0x83, 0x36, 0x84, 0x33})},
                    ConvertCase{"emoji", "\xF0\x9F\x98\x80", bytes({0x94, 0x39, 0xFC, 0x36})},
                    ConvertCase{"mixed_name", "BLACKPINK - \xEB\x9A\x9C\xEB\x9A\x9C \xE4\xB8\xAD",
                                "BLACKPINK - " + bytes({0x82, 0x39, 0xE3, 0x31, 0x82, 0x39, 0xE3, 0x31}) + " " +
                                    bytes({0xD6, 0xD0})}),
    [](const testing::TestParamInfo<ConvertCase>& p) { return std::string(p.param.name); });

TEST(Utf8ToAnsi, MalformedInputGivesReplacementNotFailure) {
    const std::vector<ConvertCase> cases = {
        {"stray_continuation", "a\x80z", "a" + bytes({0x84, 0x31, 0xA4, 0x37}) + "z"},
        {"truncated_sequence", "a\xE4\xB8", "a" + bytes({0x84, 0x31, 0xA4, 0x37})},
        {"encoded_surrogate", "\xED\xA0\xBD", bytes({0x84, 0x31, 0xA4, 0x37, 0x84, 0x31, 0xA4, 0x37, 0x84, 0x31, 0xA4, 0x37})},
        {"stops_at_zero", "ab\0cd"s, "ab"},
    };
    for (const ConvertCase& c : cases) {
        EXPECT_EQ(utf8_to_ansi(c.input), c.expected) << c.name;
    }
}

struct CodePageCase {
    const char* name;
    std::string input;
    int code_page;
    std::string expected;
};

class MultibyteToUtf16 : public testing::TestWithParam<CodePageCase> {};

TEST_P(MultibyteToUtf16, DecodesThroughTerminator) {
    EXPECT_EQ(multibyte_to_utf16(GetParam().input, GetParam().code_page), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultibyteToUtf16,
    testing::Values(CodePageCase{"utf8", "\xE4\xB8\xAD", 65001, bytes({0x2D, 0x4E, 0, 0})},
                    CodePageCase{"empty_keeps_terminator", "", 65001, bytes({0, 0})},
                    CodePageCase{"cp936", bytes({0xD6, 0xD0}), 936, bytes({0x2D, 0x4E, 0, 0})},
                    CodePageCase{"system_ansi_is_cp936", bytes({0xD6, 0xD0}), 0, bytes({0x2D, 0x4E, 0, 0})},
                    CodePageCase{"unknown_code_page", "A", 1252, ""}),
    [](const testing::TestParamInfo<CodePageCase>& p) { return std::string(p.param.name); });

class Utf16ToMultibyte : public testing::TestWithParam<CodePageCase> {};

TEST_P(Utf16ToMultibyte, EncodesUpToFirstZeroUnit) {
    EXPECT_EQ(utf16_to_multibyte(GetParam().input, GetParam().code_page), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToMultibyte,
    testing::Values(CodePageCase{"system_ansi_is_cp936", bytes({0x2D, 0x4E, 0, 0, 0x41, 0}), 0, bytes({0xD6, 0xD0})},
                    CodePageCase{"utf8", bytes({0x2D, 0x4E}), 65001, "\xE4\xB8\xAD"},
                    CodePageCase{"no_composition_here", bytes({0x61, 0, 0x01, 0x03}), 936,
                                 "a" + bytes({0x81, 0x30, 0xBC, 0x37})},
                    CodePageCase{"unknown_code_page", bytes({0x41, 0}), 437, ""}),
    [](const testing::TestParamInfo<CodePageCase>& p) { return std::string(p.param.name); });

TEST(Ansi, QuoteMarkerConstantIsTheLiteralInCodePage936) {
    EXPECT_EQ(Text(k_quote_marker), ansi("#引号"));
    EXPECT_EQ(ansi("中"), bytes({0xD6, 0xD0}));
    EXPECT_EQ(ansi_to_utf8(bytes({0xD6, 0xD0})), "中");
}

}  // namespace
}  // namespace melkora
