// The sample service stands in for the real one in every catalogue test; these cases pin the
// traits those tests rely on.
#include "sampleservice/sample_service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <string>

#include "sampleservice/sample_answers.h"

namespace melkora::sample {
namespace {

class SampleServiceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.start()); }

    httplib::Result get(const std::string& target, const httplib::Headers& headers = {}) {
        httplib::Client client("127.0.0.1", service_.port());
        return client.Get(target.c_str(), headers);
    }

    static int count_of(const std::string& text, const std::string& part) {
        int count = 0;
        for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++count;
        return count;
    }

    SampleService service_;
};

struct SearchCase {
    const char* query;
    int listed;
    int total;
};

class SampleSearch : public SampleServiceTest, public testing::WithParamInterface<SearchCase> {};

TEST_P(SampleSearch, ListsUpToPageSizeAndCountsAllMatches) {
    auto result = get(std::string("/song_search_v2?") + GetParam().query + "&page=1&platform=WebFilter");
    ASSERT_TRUE(result);
    EXPECT_EQ(count_of(result->body, "\"AlbumID\""), GetParam().listed) << GetParam().query;
    EXPECT_NE(result->body.find("\"total\":" + std::to_string(GetParam().total) + ","), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Queries, SampleSearch,
                         testing::Values(SearchCase{"keyword=%E6%8A%96%E9%9F%B3&pagesize=1", 1, 40},
                                         SearchCase{"keyword=%E6%8A%96%E9%9F%B3&pagesize=40", 40, 40},
                                         SearchCase{"keyword=%E6%8A%96%E9%9F%B3&pagesize=0", 0, 40},
                                         SearchCase{"keyword=MIRA&pagesize=100", 5, 5},
                                         SearchCase{"keyword=%EB%B0%A4%ED%95%98%EB%8A%98&pagesize=5", 1, 1},
                                         SearchCase{"keyword=nothing-like-this&pagesize=5", 0, 0},
                                         SearchCase{"keyword=&pagesize=5", 0, 0}));

TEST_F(SampleServiceTest, SearchElementsHoldNestedArraysAndTrickyNames) {
    auto body = get("/song_search_v2?keyword=%E6%8A%96%E9%9F%B3&page=1&pagesize=12")->body;
    EXPECT_GT(count_of(body, "}]"), 12);
    for (const char* name : {"高速/公路", "为什么? 为什么*", "他说\\\"再见\\\"", "사랑해요 밤하늘", "晴天 🌞 心情"})
        EXPECT_NE(body.find(name), std::string::npos) << name;
}

TEST_F(SampleServiceTest, SuggestionsGiveSongHintsThenVideoHints) {
    auto body = get("/getSearchTip?MusicTipCount=20&MVTipCount=2&albumcount=2&keyword=%E6%8A%96%E9%9F%B3")->body;
    EXPECT_EQ(body.rfind("{\"status\":1,\"error\":\"\",\"data\":[{\"RecordDatas\":[{\"HintInfo\":", 0), 0u);
    EXPECT_NE(body.find("\"RecordCount\":20,"), std::string::npos);
    EXPECT_NE(body.find("\"RecordCount\":2,\"LableName\":\"MV\""), std::string::npos);
    auto none = get("/getSearchTip?MusicTipCount=20&MVTipCount=2&albumcount=2&keyword=")->body;
    EXPECT_EQ(count_of(none, "HintInfo"), 0);
}

TEST_F(SampleServiceTest, DetailsAreAsciiWithEscapedCharacters) {
    const auto& korean = service_.catalogue().songs()[6];
    auto body = get("/yy/index.php?r=play/getdata&hash=" + korean.hash + "&album_id=" + korean.album_id + "&_=")->body;
    EXPECT_TRUE(std::all_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    EXPECT_NE(body.find("\"lyrics\":\"\\ufeff[id:$00000000]\\r\\n"), std::string::npos);
    EXPECT_NE(body.find("\"play_url\":\"" + service_.origin() + "/audio/" + korean.hash + ".mp3\""), std::string::npos);
    EXPECT_EQ(get("/yy/index.php?r=play/getdata&hash=0123&album_id=1&_=")->body, unknown_song_answer());
}

TEST_F(SampleServiceTest, EmojiBecomesASurrogatePairInAsciiJson) {
    EXPECT_EQ(json_string("晴🌞", true), "\"\\u6674\\ud83c\\udf1e\"");
    EXPECT_EQ(json_string("a\"b\\c\r\n", false), "\"a\\\"b\\\\c\\r\\n\"");
}

TEST_F(SampleServiceTest, SongsAnswerRangesAndSomeAreNotAudio) {
    const auto& songs = service_.catalogue().songs();
    auto ranged = get("/audio/" + songs[0].hash + ".mp3", {{"Range", "bytes=10-19"}});
    ASSERT_TRUE(ranged);
    EXPECT_EQ(ranged->status, 206);
    EXPECT_EQ(ranged->body.size(), 10u);
    auto broken = get("/audio/" + songs[9].hash + ".mp3");
    EXPECT_FALSE(songs[9].playable);
    EXPECT_EQ(broken->get_header_value("Content-Type").rfind("text/html", 0), 0u);
    EXPECT_EQ(get("/cover/" + songs[0].hash + ".jpg")->body.substr(0, 2), "BM");
}

TEST_F(SampleServiceTest, ListPageEmbedsItsSongsInAScript) {
    auto body = get("/songlist/1.html")->body;
    EXPECT_NE(body.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_EQ(count_of(body, "\"hash\":"), 30);
    EXPECT_NE(body.find("}],//当前页面歌曲信息"), std::string::npos);
    EXPECT_EQ(get("/songlist/3.html")->status, 404);
}

TEST_F(SampleServiceTest, RecordsTargetsAndAnswersCanned) {
    service_.set_canned_answer(std::string(k_tip_path), {503, "", "text/plain"});
    auto result = get("/getSearchTip?keyword=ab%20c");
    EXPECT_EQ(result->status, 503);
    EXPECT_EQ(service_.requests(k_tip_path), std::vector<std::string>{"/getSearchTip?keyword=ab%20c"});
}

}  // namespace
}  // namespace melkora::sample
