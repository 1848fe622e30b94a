#include <string>
#include <vector>

#include "catalogue/catalogue_addresses.h"
#include "catalogue/song_details.h"
#include "catalogue/suggestions.h"
#include "sampleservice/sample_answers.h"
#include "tests/catalogue/catalogue_fixture.h"

namespace melkora {
namespace {

using sample::k_details_path;
using sample::k_tip_path;

class FetchSuggestions : public CatalogueFixture {};

TEST_F(FetchSuggestions, GivesTheSongHintsInOrder) {
    auto hints = fetch_suggestions("mira");
    std::vector<Text> expected;
    for (const auto* song : service_.catalogue().search("mira")) expected.push_back(utf8_to_ansi(song->title));
    EXPECT_EQ(hints, expected);
    EXPECT_EQ(fetch_suggestions(ansi("抖音")).size(), 20u);
}

TEST_F(FetchSuggestions, EmptyInputStillAsksAndGetsNone) {
    EXPECT_TRUE(fetch_suggestions("").empty());
    EXPECT_EQ(service_.requests(k_tip_path),
              std::vector<std::string>{"/getSearchTip?MusicTipCount=20&MVTipCount=2&albumcount=2&keyword="});
}

struct TipCase {
    const char* name;
    const char* answer;
    std::vector<Text> hints;
};

class ReadSuggestions : public testing::TestWithParam<TipCase> {};

TEST_P(ReadSuggestions, ReadsFirstGroupOnly) { EXPECT_EQ(read_suggestions(GetParam().answer), GetParam().hints) << GetParam().name; }

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadSuggestions,
    testing::Values(TipCase{"two groups", R"({"data":[{"RecordDatas":[{"HintInfo":"a"},{"HintInfo":"b"}]},{"RecordDatas":[{"HintInfo":"mv"}]}]})", {"a", "b"}},
                    TipCase{"no RecordDatas", R"({"status":1,"data":[{"x":1}]})", {}},
                    TipCase{"data not an array", R"({"data":{}})", {}},
                    TipCase{"entry without a hint", R"({"data":[{"RecordDatas":[{"Hot":1},{"HintInfo":"b"}]}]})", {"", "b"}},
                    TipCase{"not JSON", "<html>busy</html>", {}},
                    TipCase{"nothing", "", {}}));

TEST_F(FetchSuggestions, FailedRequestGivesNone) {
    point_hosts_at(closed_host_port());
    EXPECT_TRUE(fetch_suggestions("mira").empty());
}

class LookupSongDetails : public CatalogueFixture {
protected:
    Text lookup(const std::string& address) { return lookup_song_details(address, cover_, lyrics_); }

    Text cover_ = "old cover";
    Text lyrics_ = "old lyrics";
};

TEST_F(LookupSongDetails, GivesPlayAddressCoverAndLyricsWithLineBreaksKept) {
    const auto& song = service_.catalogue().songs()[6];
    EXPECT_EQ(lookup(details_address(song.hash, song.album_id)), service_.origin() + "/audio/" + song.hash + ".mp3");
    EXPECT_EQ(cover_, service_.origin() + "/cover/" + song.hash + ".jpg");
    EXPECT_EQ(lyrics_, utf8_to_ansi(sample::lyrics_of(song)));
    EXPECT_NE(lyrics_.find(ansi("\r\n[ar:아이유별]\r\n")), std::string::npos);
}

TEST_F(LookupSongDetails, EveryCallAsksAgain) {
    const auto& song = service_.catalogue().songs()[0];
    lookup(details_address(song.hash, song.album_id));
    lookup(details_address(song.hash, song.album_id));
    EXPECT_EQ(service_.requests(k_details_path).size(), 2u);
}

struct DetailsCase {
    const char* name;
    const char* answer;  // nullptr: nothing listens
    const char* play;
    const char* cover;
    const char* lyrics;
};

class LookupCannedDetails : public LookupSongDetails, public testing::WithParamInterface<DetailsCase> {};

TEST_P(LookupCannedDetails, SetsOutputsOnlyFromAParsedAnswer) {
    if (GetParam().answer)
        service_.set_canned_answer(std::string(k_details_path), {200, GetParam().answer, "text/html"});
    else
        point_hosts_at(closed_host_port());
    EXPECT_EQ(lookup(details_address("A1", "7")), GetParam().play) << GetParam().name;
    EXPECT_EQ(cover_, GetParam().cover) << GetParam().name;
    EXPECT_EQ(lyrics_, GetParam().lyrics) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LookupCannedDetails,
    testing::Values(
        DetailsCase{"plain answer", R"({"data":{"img":"x","lyrics":"a\r\nb","play_url":"y"}})", "y", "x", "a\r\nb"},
        DetailsCase{"not JSON keeps the outputs", "<html>error</html>", "", "old cover", "old lyrics"},
        DetailsCase{"nothing listens keeps the outputs", nullptr, "", "old cover", "old lyrics"},
        DetailsCase{"no data", R"({"status":0,"err_code":20010})", "", "", ""},
        DetailsCase{"unknown song", R"({"status":0,"err_code":20010,"data":[]})", "", "", ""},
        DetailsCase{"null play address", R"({"data":{"img":"x","lyrics":"l","play_url":null}})", "", "x", "l"}));

}  // namespace
}  // namespace melkora
