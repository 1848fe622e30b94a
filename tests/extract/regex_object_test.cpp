#include "extract/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace melkora {
namespace {

constexpr const char* k_charset_pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

struct Options {
    bool case_sensitive = false;
    bool multiline = true;
    bool global = true;
    bool quote_marker = false;
};

struct MatchCase {
    const char* name;
    std::string pattern;
    std::string subject;
    Options options;
    bool executes;
    std::vector<std::string> matches;
};

class ExecuteMatches : public testing::TestWithParam<MatchCase> {};

TEST_P(ExecuteMatches, CollectsExpectedMatches) {
    const MatchCase& c = GetParam();
    RegexObject regex;
    EXPECT_EQ(regex.execute(c.pattern, c.subject, c.options.case_sensitive, c.options.multiline, c.options.global,
                            c.options.quote_marker),
              c.executes);
    ASSERT_EQ(regex.match_count(), static_cast<int>(c.matches.size()));
    for (std::size_t i = 0; i < c.matches.size(); ++i) {
        EXPECT_EQ(regex.match_text(static_cast<int>(i) + 1), c.matches[i]) << "match " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteMatches,
    testing::Values(
        MatchCase{"ignore_case_by_default", "abc", "xABCx", {}, true, {"ABC"}},
        MatchCase{"case_sensitive_on_request", "abc", "xABCx", {.case_sensitive = true}, true, {}},
        MatchCase{"valid_pattern_no_match", "zzz", "abc", {}, true, {}},
        MatchCase{"unbalanced_pattern_rejected", "(", "abc", {}, false, {}},
        MatchCase{"global_by_default", "a", "aXa", {}, true, {"a", "a"}},
        MatchCase{"first_only_without_global", "a", "aXa", {.global = false}, true, {"a"}},
        MatchCase{"dot_stops_at_line_feed", "a.b", "a\nb", {}, true, {}},
        MatchCase{"dot_takes_carriage_return", "a.b", "a\rb", {}, true, {"a\rb"}},
        MatchCase{"caret_at_each_line", "^\\w", "a\nb", {}, true, {"a", "b"}},
        MatchCase{"caret_at_start_only", "^\\w", "a\nb", {.multiline = false}, true, {"a"}},
        MatchCase{"dollar_at_end_only", "\\w$", "a\nb\n", {.multiline = false}, true, {}},
        MatchCase{"empty_matches_advance", "x*", "ab", {}, true, {"", "", ""}},
        MatchCase{"word_class_is_ascii", "\\w+", ansi("中a_1文"), {}, true, {"a_1"}},
        MatchCase{"chinese_literal", ansi("晴."), ansi("歌曲晴天"), {}, true, {ansi("晴天")}},
        MatchCase{"four_byte_char_is_two_units", "a..b", ansi("a😀b"), {}, true, {ansi("a😀b")}},
        MatchCase{"four_byte_char_not_one_unit", "a.b", ansi("a😀b"), {}, true, {}},
        MatchCase{"lazy_quantifier", "<.+?>", "<a><b>", {}, true, {"<a>", "<b>"}},
        MatchCase{"ecmascript_unicode_escape", "\\u4E2D", ansi("x中"), {}, true, {ansi("中")}},
        MatchCase{"quote_marker_replaced", ansi("a=#引号(\\w+)#引号"), "a=\"x\"", {.quote_marker = true}, true,
                  {"a=\"x\""}},
        MatchCase{"quote_marker_kept_by_default", ansi("a=#引号"), "a=\"x\"", {}, true, {}},
        MatchCase{"backtracking_without_end_fails", "(a+)+$", std::string(40, 'a') + "!", {}, false, {}}),
    [](const testing::TestParamInfo<MatchCase>& p) { return std::string(p.param.name); });

TEST(RegexObject, CharsetPatternReadsTheMetaTag) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<meta charset=utf-8>", "utf-8"},
        {"<meta charset=\"gb2312\" />", "gb2312"},
        {"<head><META http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\"></head>", "GBK"},
    };
    for (const auto& [subject, charset] : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.execute(k_charset_pattern, subject)) << subject;
        EXPECT_EQ(regex.match_count(), 1) << subject;
        EXPECT_EQ(regex.submatch(1, 1), charset) << subject;
    }
}

TEST(RegexObject, QuoteMarkerPatternCapturesBetweenQuotes) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute(ansi("a=#引号(\\w+)#引号"), "a=\"x\"", false, true, true, true));
    EXPECT_EQ(regex.get_pattern(), "a=\"(\\w+)\"");
    EXPECT_EQ(regex.submatch(1, 1), "x");
}

TEST(RegexObject, NoMatchOrRejectedPatternGivesEmptyReads) {
    RegexObject regex;
    EXPECT_TRUE(regex.execute("(z)", "abc"));
    EXPECT_EQ(regex.submatch(1, 1), "");
    EXPECT_EQ(regex.submatch_count(), 0);
    EXPECT_FALSE(regex.execute("(", "abc"));
    EXPECT_EQ(regex.match_count(), 0);
    EXPECT_EQ(regex.get_pattern(), "(");
    EXPECT_EQ(regex.replace("x"), "");
    EXPECT_EQ(RegexObject().get_pattern(), "");
    EXPECT_EQ(RegexObject().replace("x"), "");
}

struct PositionCase {
    const char* name;
    std::string pattern;
    std::string subject;
    int match;
    int group;  // 0 reads the whole match
    std::string expected_text;
    int expected_position;
};

class Positions : public testing::TestWithParam<PositionCase> {};

TEST_P(Positions, AreZeroBasedByteOffsets) {
    const PositionCase& c = GetParam();
    RegexObject regex;
    ASSERT_TRUE(regex.execute(c.pattern, c.subject));
    int position = 12345;
    const Text text = c.group == 0 ? regex.match_text(c.match, position, true)
                                   : regex.submatch(c.match, c.group, position, true);
    EXPECT_EQ(text, c.expected_text);
    EXPECT_EQ(position, c.expected_position);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Positions,
    testing::Values(PositionCase{"ascii", "b", "abc", 1, 0, "b", 1},
                    PositionCase{"after_two_byte_chars", "abc", ansi("中文abc"), 1, 0, "abc", 4},
                    PositionCase{"second_match", "abc", ansi("中文abc中文abc"), 2, 0, "abc", 11},
                    PositionCase{"right_after_two_byte_char", "ABC", ansi("中abc"), 1, 0, "abc", 2},
                    PositionCase{"not_an_earlier_copy", "x", ansi("中文xyx"), 2, 0, "x", 6},
                    PositionCase{"group_not_its_first_copy", "a(a)", "aa", 1, 1, "a", 1},
                    PositionCase{"group", "c(\\d)", ansi("中c1"), 1, 1, "1", 3},
                    PositionCase{"after_four_byte_char", "b", ansi("a😀b"), 1, 0, "b", 5},
                    PositionCase{"empty_group", "a(x?)", "ba", 1, 1, "", 2},
                    PositionCase{"unset_group_gives_match_offset", "b(x)?", ansi("中b"), 1, 1, "", 2},
                    PositionCase{"match_out_of_range", "a", "a", 2, 0, "", -1},
                    PositionCase{"group_out_of_range", "(a)", "a", 1, 2, "", -1}),
    [](const testing::TestParamInfo<PositionCase>& p) { return std::string(p.param.name); });

TEST(RegexObject, PositionLeftAloneWhenNotWanted) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("b", "abc"));
    int position = 77;
    EXPECT_EQ(regex.match_text(1, position, false), "b");
    EXPECT_EQ(regex.submatch(5, 5, position, false), "");
    EXPECT_EQ(position, 77);
}

struct ReplaceCase {
    const char* name;
    std::string pattern;
    std::string subject;
    bool global;
    std::string replacement;
    std::string expected;
};

class Replace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, ExpandsReplacementSyntax) {
    const ReplaceCase& c = GetParam();
    RegexObject regex;
    ASSERT_TRUE(regex.execute(c.pattern, c.subject, false, true, c.global));
    EXPECT_EQ(regex.replace(c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Replace,
    testing::Values(ReplaceCase{"groups_swapped", "(\\d)-(\\d)", "1-2 3-4", true, "$2-$1", "2-1 4-3"},
                    ReplaceCase{"first_only", "(\\d)-(\\d)", "1-2 3-4", false, "$2-$1", "2-1 3-4"},
                    ReplaceCase{"whole_match", "b", "abc", true, "[$&]", "a[b]c"},
                    ReplaceCase{"before_match", "b", "abc", true, "[$`]", "a[a]c"},
                    ReplaceCase{"after_match", "b", "abc", true, "[$']", "a[c]c"},
                    ReplaceCase{"dollar", "b", "abc", true, "$$", "a$c"},
                    ReplaceCase{"missing_group_literal", "(b)", "abc", true, "$2$0", "a$2$0c"},
                    ReplaceCase{"one_digit_when_two_too_many", "(b)", "abc", true, "$10", "ab0c"},
                    ReplaceCase{"two_digit_group", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", true, "$10$1",
                                "ja"},
                    ReplaceCase{"unset_group_empty", "a(x)?", "ab", true, "[$1]", "[]b"},
                    ReplaceCase{"trailing_dollar", "b", "abc", true, "$", "a$c"},
                    ReplaceCase{"no_match_keeps_subject", "z", ansi("中文"), true, "y", ansi("中文")},
                    ReplaceCase{"chinese", ansi("晴天"), ansi("歌:晴天"), true, ansi("雨天"), ansi("歌:雨天")},
                    ReplaceCase{"empty_matches", "x*", "ab", true, "-", "-a-b-"}),
    [](const testing::TestParamInfo<ReplaceCase>& p) { return std::string(p.param.name); });

TEST(RegexObject, SecondExecuteReplacesEverything) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(a)(b)", "ab ab"));
    ASSERT_TRUE(regex.execute("c", "xcx", true, true, false));
    EXPECT_EQ(regex.get_pattern(), "c");
    EXPECT_EQ(regex.match_count(), 1);
    EXPECT_EQ(regex.match_text(1), "c");
    EXPECT_EQ(regex.submatch_count(), 0);
    EXPECT_EQ(regex.replace("y"), "xyx");
}

TEST(RegexObject, CopyKeepsTheMatchesItWasMadeWith) {
    RegexObject regex;
    ASSERT_TRUE(regex.execute("(\\d)", "a1b2"));
    const RegexObject copy = regex;
    ASSERT_TRUE(regex.execute("z", "zzz"));
    EXPECT_EQ(copy.match_count(), 2);
    EXPECT_EQ(copy.submatch(2, 1), "2");
    EXPECT_EQ(copy.submatch_count(), 1);
    EXPECT_EQ(copy.replace("<$1>"), "a<1>b<2>");
    EXPECT_EQ(regex.match_count(), 3);
}

}  // namespace
}  // namespace melkora
