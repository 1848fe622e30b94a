// Cookie merging, names and unique joining over code page 936 texts.
#include <gtest/gtest.h>

#include "tests/web/case_name.h"

#include "web/cookies.h"

namespace melkora {
namespace {

struct MergeCase {
    const char* name;
    Text sent;
    Text received;
    Text merged;
    Text received_after;  // the received argument comes back without blanks
};

class MergeCookies : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookies, GivesMergedTextAndWritesItBackIntoSent) {
    const MergeCase& c = GetParam();
    Text sent = c.sent;
    Text received = c.received;
    EXPECT_EQ(merge_cookies(sent, received), c.merged);
    EXPECT_EQ(sent, c.merged);
    EXPECT_EQ(received, c.received_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookies,
    testing::Values(
        MergeCase{"ResponseReplacesSameName", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
        MergeCase{"DeletedCookieVanishes", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
        MergeCase{"BlanksInsideItemsGo", "x = 1", "", "x=1", ""},
        MergeCase{"FirstOfTwoSentWithOneNameSurvives", "a=1; a=2", "", "a=1", ""},
        MergeCase{"RepeatedReceivedItemCollapses", "", "c=1; c=1", "c=1", "c=1;c=1"},
        MergeCase{"DifferentItemsOfOneNameBothStay", "", "c=1; c=2", "c=1; c=2", "c=1;c=2"},
        MergeCase{"NamesCompareWithLetterCase", "A=1", "a=2", "a=2; A=1", "a=2"},
        MergeCase{"EmptyItemIsKept", "a=1;;b=2", "", "a=1; ; b=2", ""},
        MergeCase{"BothEmpty", "", "", "", ""},
        MergeCase{"DeletedMustBeExactCase", "", "a=Deleted", "a=Deleted", "a=Deleted"},
        MergeCase{"IdeographicSpaceIsABlank", ansi("a=1;　b=2"), ansi("　c=3　"), "c=3; a=1; b=2", "c=3"},
        // 啊 ends in the byte A1 and 、 starts with it: together they hold A1 A1, which is no blank.
        MergeCase{"TwoByteCharactersAreNeverSplit", ansi("v=啊、"), "", ansi("v=啊、"), ""},
        MergeCase{"ItemWithoutEqualsIsItsOwnName", "flag; a=1", "flag", "flag; a=1", "flag"}),
    test::CaseName());

struct NameCase {
    const char* name;
    Text item;
    Text expected;
};

class CookieName : public testing::TestWithParam<NameCase> {};

TEST_P(CookieName, IsTheTrimmedTextLeftOfTheFirstEquals) {
    EXPECT_EQ(cookie_name(GetParam().item), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CookieName,
                         testing::Values(NameCase{"Plain", "a=1", "a"}, NameCase{"Blanks", " a =1", "a"},
                                         NameCase{"NoEquals", " flag ", "flag"}, NameCase{"EmptyName", "=v", ""},
                                         NameCase{"SecondEqualsBelongsToValue", "a=b=c", "a"},
                                         NameCase{"IdeographicBlanks", ansi("　名　=1"), ansi("名")},
                                         NameCase{"Empty", "", ""}),
                         test::CaseName());

struct JoinCase {
    const char* name;
    Text text;
    Text separator;
    Text expected;
};

class JoinUnique : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinUnique, DropsPiecesSeenBefore) {
    EXPECT_EQ(join_unique(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinUnique,
    testing::Values(JoinCase{"FirstOccurrenceKeepsItsPlace", "b; a; b; c; a", "; ", "b; a; c"},
                    JoinCase{"Empty", "", "; ", ""}, JoinCase{"SinglePiece", "x", ",", "x"},
                    JoinCase{"TrailingSeparatorAddsNoPiece", "a; ", "; ", "a"},
                    JoinCase{"EmptyPieceCountsOnce", "a;;a;", ";", "a;"},
                    JoinCase{"LeadingEmptyPiece", ";a;;b", ";", ";a;b"},
                    JoinCase{"SeparatorEndsAtItsZero", "a;b;a", std::string(";\0x", 3), "a;b"},
                    JoinCase{"SeparatorThatIsOnlyAZero", "a;a", std::string("\0", 1), "a;a"},
                    // 乚 is 81 5D: its second byte is "]" but the character is never cut there.
                    JoinCase{"SeparatorNeverMatchesInsideACharacter", ansi("乚]乚]x"), "]", ansi("乚]x")}),
    test::CaseName());

struct SplitCase {
    const char* name;
    Text text;
    std::vector<Text> pieces;
};

class SplitText : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitText, KeepsEmptyPiecesButNoneAfterATrailingSeparator) {
    EXPECT_EQ(split_text(GetParam().text, ";"), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitText,
                         testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlySeparator", ";", {""}},
                                         SplitCase{"Adjacent", "a;;b", {"a", "", "b"}},
                                         SplitCase{"Leading", ";a", {"", "a"}},
                                         SplitCase{"Trailing", "a;b;", {"a", "b"}}),
                         test::CaseName());

struct ResponseCase {
    const char* name;
    Text headers;
    Text cookies;
    std::optional<Text> location;
};

class ResponseLinesRead : public testing::TestWithParam<ResponseCase> {};

TEST_P(ResponseLinesRead, CollectsFirstPairOfEachSetCookieLineAndTheLocation) {
    const ResponseLines lines = read_response_lines(GetParam().headers);
    EXPECT_EQ(lines.cookies, GetParam().cookies);
    EXPECT_EQ(lines.location, GetParam().location);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResponseLinesRead,
    testing::Values(
        ResponseCase{"PairsInOrder", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2",
                     std::nullopt},
        ResponseCase{"LowerCaseSetCookieIsNotCollected", "HTTP/1.1 200 OK\r\nset-cookie: a=1\r\n\r\n", "", std::nullopt},
        ResponseCase{"NoCookies", "HTTP/1.1 200 OK\r\nX: y\r\n\r\n", "", std::nullopt},
        ResponseCase{"LocationInAnyCase", "HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n", "", Text("/next")},
        ResponseCase{"IdeographicBlankTrimmed", ansi("HTTP/1.1 200 OK\r\nSet-Cookie: 　k=v　\r\n\r\n"), "k=v",
                     std::nullopt},
        ResponseCase{"EmptyBlock", "", "", std::nullopt}),
    test::CaseName());

TEST(ResponseLinesRead, RunsTheHookOncePerLine) {
    int calls = 0;
    read_response_lines("HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n", [&calls] { ++calls; });
    EXPECT_EQ(calls, 4);  // status line, two headers, and the empty piece before the final CR LF
}

}  // namespace
}  // namespace melkora
