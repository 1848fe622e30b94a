#include "catalogue/catalogue_addresses.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace melkora {
namespace {

struct ModeCase {
    const char* source;
    LoadMode expected;
};

class ChooseLoadMode : public testing::TestWithParam<ModeCase> {};

TEST_P(ChooseLoadMode, PicksModeFromHttpOrDotCom) {
    EXPECT_EQ(choose_load_mode(ansi(GetParam().source)), GetParam().expected) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(Sources, ChooseLoadMode,
                         testing::Values(ModeCase{"抖音", LoadMode::keyword},
                                         ModeCase{"", LoadMode::keyword},
                                         ModeCase{"http://x/list.html", LoadMode::page_address},
                                         ModeCase{"HTTPS://X/LIST", LoadMode::page_address},
                                         ModeCase{"someone.COM", LoadMode::page_address},
                                         ModeCase{"周杰伦.com的歌", LoadMode::page_address},
                                         ModeCase{"htt p", LoadMode::keyword},
                                         ModeCase{"com", LoadMode::keyword}));

struct QueryCase {
    const char* keyword;
    const char* expected;
};

class KeywordQueryValue : public testing::TestWithParam<QueryCase> {};

TEST_P(KeywordQueryValue, EscapesOnlyWhatChangesTheQuery) {
    EXPECT_EQ(keyword_query_value(ansi(GetParam().keyword)), ansi(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Keywords, KeywordQueryValue,
                         testing::Values(QueryCase{"抖音", "抖音"},
                                         QueryCase{"AC/DC: live?", "AC/DC:%20live?"},
                                         QueryCase{"Rock & Roll", "Rock%20%26%20Roll"},
                                         QueryCase{"C#+1", "C%23%2B1"},
                                         QueryCase{"100%", "100%25"},
                                         QueryCase{"pagesize=1", "pagesize=1"},
                                         QueryCase{"", ""}));

class ServiceAddresses : public testing::Test {
protected:
    void SetUp() override {
        setenv("MELKORA_SEARCH_HOST", "127.0.0.1:8001", 1);
        setenv("MELKORA_TIP_HOST", "127.0.0.1:8002", 1);
        setenv("MELKORA_WEB_HOST", "127.0.0.1:8003", 1);
    }
    void TearDown() override {
        unsetenv("MELKORA_SEARCH_HOST");
        unsetenv("MELKORA_TIP_HOST");
        unsetenv("MELKORA_WEB_HOST");
    }
};

TEST_F(ServiceAddresses, FollowTheHostVariables) {
    EXPECT_EQ(search_address(ansi("抖音"), 1),
              ansi("http://127.0.0.1:8001/song_search_v2?keyword=抖音&page=1&pagesize=1&platform=WebFilter"));
    EXPECT_EQ(suggestion_address("ab"),
              "http://127.0.0.1:8002/getSearchTip?MusicTipCount=20&MVTipCount=2&albumcount=2&keyword=ab");
    EXPECT_EQ(details_address("A1", "7"), "http://127.0.0.1:8003/yy/index.php?r=play/getdata&hash=A1&album_id=7&_=");
}

TEST_F(ServiceAddresses, KeywordHoldingPagesizeStaysIntactInTheFullPageAddress) {
    EXPECT_EQ(search_address("pagesize=1", 250),
              "http://127.0.0.1:8001/song_search_v2?keyword=pagesize=1&page=1&pagesize=250&platform=WebFilter");
}

TEST(ServiceHostsByDefault, AreTheServiceOwn) {
    unsetenv("MELKORA_SEARCH_HOST");
    unsetenv("MELKORA_WEB_HOST");
    EXPECT_EQ(search_address("a", 1), "http://songsearch.kugou.com/song_search_v2?keyword=a&page=1&pagesize=1&platform=WebFilter");
    EXPECT_EQ(details_address("h", "1"), "http://wwwapi.kugou.com/yy/index.php?r=play/getdata&hash=h&album_id=1&_=");
}

struct TotalCase {
    const char* answer;
    int expected;
};

class ReadSearchTotal : public testing::TestWithParam<TotalCase> {};

TEST_P(ReadSearchTotal, TakesLeadingDigitsAfterFirstTotal) {
    EXPECT_EQ(read_search_total(GetParam().answer), GetParam().expected) << GetParam().answer;
}

INSTANTIATE_TEST_SUITE_P(Answers, ReadSearchTotal,
                         testing::Values(TotalCase{R"({"data":{"lists":[],"total":4521,"istag":0}})", 4521},
                                         TotalCase{R"({"total":12,"x":{"total":99,}})", 12},
                                         TotalCase{R"({"total":"37","a":1})", 0},
                                         TotalCase{R"({"total":8x,"a":1})", 8},
                                         TotalCase{R"({"lists":[],"istag":0})", 0},
                                         TotalCase{R"({"total":5})", 0},
                                         TotalCase{R"({"total":-3,"a":1})", 0},
                                         TotalCase{R"({"total":99999999999,"a":1})", 2147483647},
                                         TotalCase{"", 0}));

struct CutCase {
    const char* name;
    const char* answer;
    const char* expected;
};

class CutSearchLists : public testing::TestWithParam<CutCase> {};

TEST_P(CutSearchLists, EndsAtLastClosingOfAnElement) {
    EXPECT_EQ(cut_search_lists(ansi(GetParam().answer)), ansi(GetParam().expected)) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CutSearchLists,
    testing::Values(
        CutCase{"plain", R"({"lists":[{"a":1},{"a":2}],"correctiontype":0})", R"([{"a":1},{"a":2}])"},
        CutCase{"nested group inside an element",
                R"({"lists":[{"Grp":[{"b":1}],"a":1}],"chinesecount":1,"correctiontype":0})",
                R"([{"Grp":[{"b":1}],"a":1}])"},
        CutCase{"empty list", R"({"lists":[],"correctiontype":0})", ""},
        CutCase{"text after the list is cut back",
                R"({"lists":[{"a":1}],"correctiontype":0,"x":{"lists":[],"correctiontype":1}})", R"([{"a":1}])"},
        CutCase{"no lists", R"({"data":{"correctiontype":0}})", ""},
        CutCase{"no correctiontype", R"({"lists":[{"a":1}]})", ""},
        CutCase{"song name holding the closing pair", R"({"lists":[{"n":"a}]b"}],"correctiontype":0})",
                R"([{"n":"a}]b"}])"},
        CutCase{"two-byte character whose second byte is a bracket",
                "{\"lists\":[{\"n\":\"\x81}\x81]\"}],\"correctiontype\":0}", "[{\"n\":\"\x81}\x81]\"}]"}));

TEST(CutPageSongArray, TakesTheScriptAssignment) {
    Text page = ansi("<script>var dataFromSmarty = [{\"hash\":\"A1\",\"song_name\":\"x\",\"album_id\":7}],//当前页面歌曲信息\n"
                     "var other = [1],//当前页面歌曲信息</script>");
    EXPECT_EQ(cut_page_song_array(page), "[{\"hash\":\"A1\",\"song_name\":\"x\",\"album_id\":7}]");
    EXPECT_EQ(cut_page_song_array(ansi("<html>没有歌单</html>")), "");
}

}  // namespace
}  // namespace melkora
