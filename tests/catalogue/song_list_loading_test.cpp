#include "catalogue/song_list_loading.h"

#include <algorithm>
#include <string>

#include "catalogue/catalogue_addresses.h"
#include "tests/catalogue/catalogue_fixture.h"
#include "web/pending_events.h"

namespace melkora {
namespace {

using sample::CannedAnswer;
using sample::k_search_path;

class LoadSongList : public CatalogueFixture {
protected:
    void expect_old_rows_kept() const {
        ASSERT_EQ(view_.row_count(), 3);
        EXPECT_EQ(view_.cell_text(2, k_column_name), "old 2");
    }

    void can_search(const std::string& body) {
        service_.set_canned_answer(std::string(k_search_path), {200, body, "text/html"});
    }

    // A list page declares its character set, which the fetch decodes it from.
    void can_page(const std::string& utf8_body) {
        service_.set_canned_answer("/songlist/1.html",
                                   {200, "<head><meta charset=\"utf-8\"></head>" + utf8_body, "text/html"});
    }

    MemoryListView view_;
};

TEST_F(LoadSongList, KeywordWritesEveryFoundSongWithItsDetailsAddress) {
    const auto& songs = service_.catalogue().songs();
    ASSERT_EQ(load_song_list(ansi("抖音"), view_), LoadOutcome::loaded);
    ASSERT_EQ(view_.row_count(), static_cast<int>(songs.size()));
    for (std::size_t k = 0; k < songs.size(); ++k) {
        const auto& row = view_.rows()[k];
        EXPECT_EQ(row[k_column_index], std::to_string(k));
        EXPECT_EQ(row[k_column_name], utf8_to_ansi(songs[k].file_name())) << songs[k].file_name();
        EXPECT_EQ(row[k_column_hash], songs[k].hash);
        EXPECT_EQ(row[k_column_album_id], songs[k].album_id);
        EXPECT_EQ(row[k_column_url], details_address(songs[k].hash, songs[k].album_id));
        EXPECT_EQ(row[k_column_progress], "");
        EXPECT_FALSE(view_.is_ticked(static_cast<int>(k)));
    }
    EXPECT_EQ(ansi_to_utf8(view_.cell_text(6, k_column_name)), "아이유별 - 사랑해요 밤하늘");
    EXPECT_EQ(ansi_to_utf8(view_.cell_text(7, k_column_name)), "晴天乐队 - 晴天 🌞 心情");
}

TEST_F(LoadSongList, KeywordAsksOnceForTheTotalThenForAllSongsInOnePage) {
    fill_with_old_rows(view_);
    ASSERT_EQ(load_song_list("mira", view_), LoadOutcome::loaded);
    EXPECT_EQ(view_.row_count(), 5);
    EXPECT_EQ(service_.requests(k_search_path),
              (std::vector<std::string>{"/song_search_v2?keyword=mira&page=1&pagesize=1&platform=WebFilter",
                                        "/song_search_v2?keyword=mira&page=1&pagesize=5&platform=WebFilter"}));
}

TEST_F(LoadSongList, KeywordReachesTheServiceAsTyped) {
    load_song_list(ansi("抖音 Rock & Roll #1+"), view_);
    auto requests = service_.requests(k_search_path);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].substr(0, requests[0].find("&page=")),
              "/song_search_v2?keyword=%E6%8A%96%E9%9F%B3%20Rock%20%26%20Roll%20%231%2B");
}

TEST_F(LoadSongList, SearchWithoutMatchFailsAndKeepsTheRows) {
    fill_with_old_rows(view_);
    EXPECT_EQ(load_song_list(ansi("没有这首歌zz"), view_), LoadOutcome::parse_failed);
    expect_old_rows_kept();
}

TEST_F(LoadSongList, MissingTotalAsksForAPageOfNone) {
    fill_with_old_rows(view_);
    can_search(R"({"status":1,"data":{"lists":[],"correctiontype":0}})");
    EXPECT_EQ(load_song_list("abc", view_), LoadOutcome::parse_failed);
    auto requests = service_.requests(k_search_path);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].find("&pagesize=0&"), std::string::npos) << requests[1];
    expect_old_rows_kept();
}

struct CannedSearchCase {
    const char* name;
    const char* body;
    int rows;
};

class LoadCannedSearch : public LoadSongList, public testing::WithParamInterface<CannedSearchCase> {};

TEST_P(LoadCannedSearch, CutsTheListBeforeParsing) {
    fill_with_old_rows(view_);
    can_search(GetParam().body);
    auto outcome = load_song_list("abc", view_);
    if (GetParam().rows < 0) {
        EXPECT_EQ(outcome, LoadOutcome::parse_failed) << GetParam().name;
        expect_old_rows_kept();
        return;
    }
    ASSERT_EQ(outcome, LoadOutcome::loaded) << GetParam().name;
    ASSERT_EQ(view_.row_count(), GetParam().rows) << GetParam().name;
    EXPECT_EQ(view_.cell_text(0, k_column_hash), "A1");
    EXPECT_EQ(view_.cell_text(0, k_column_name), "x");
    EXPECT_EQ(view_.cell_text(0, k_column_album_id), "7");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LoadCannedSearch,
    testing::Values(
        CannedSearchCase{"text between the list and correctiontype",
                         R"({"data":{"total":1,"lists":[{"FileHash":"A1","FileName":"x","AlbumID":"7"}],"aggregation":[1],"x":"y","correctiontype":0}})",
                         1},
        CannedSearchCase{"numeric album id", R"({"data":{"total":1,"lists":[{"FileHash":"A1","FileName":"x","AlbumID":7}],"correctiontype":0}})", 1},
        CannedSearchCase{"an element lacking members still gives a row",
                         R"({"data":{"total":2,"lists":[{"FileHash":"A1","FileName":"x","AlbumID":"7"},{"Other":1}],"correctiontype":0}})",
                         2},
        CannedSearchCase{"not JSON at all", "<html><body>502 Bad Gateway</body></html>", -1},
        CannedSearchCase{"list that is not a data literal",
                         R"({"total":1,"lists":[{"FileHash":alert(1)}],"correctiontype":0})", -1},
        CannedSearchCase{"empty answer", "", -1}));

TEST_F(LoadSongList, KeywordFailsWhenTheServiceIsUnreachable) {
    fill_with_old_rows(view_);
    point_hosts_at(closed_host_port());
    EXPECT_EQ(load_song_list("abc", view_), LoadOutcome::parse_failed);
    expect_old_rows_kept();
}

TEST_F(LoadSongList, PageAddressWritesTheEmbeddedSongs) {
    const auto& songs = service_.catalogue().songs();
    ASSERT_EQ(load_song_list(service_.playlist_address(2), view_), LoadOutcome::loaded);
    ASSERT_EQ(view_.row_count(), 10);
    EXPECT_EQ(view_.cell_text(0, k_column_index), "0");
    EXPECT_EQ(view_.cell_text(0, k_column_name), utf8_to_ansi(songs[30].file_name()));
    EXPECT_EQ(view_.cell_text(9, k_column_hash), songs[39].hash);
    EXPECT_EQ(view_.cell_text(9, k_column_album_id), songs[39].album_id);
    EXPECT_EQ(view_.cell_text(9, k_column_url), details_address(songs[39].hash, songs[39].album_id));
}

TEST_F(LoadSongList, PageWithOneSongGivesItsCellsAndAddress) {
    can_page("<script>var dataFromSmarty = [{\"hash\":\"A1\",\"song_name\":\"x\",\"album_id\":7}],//当前页面歌曲信息</script>");
    ASSERT_EQ(load_song_list(service_.playlist_address(1), view_), LoadOutcome::loaded);
    ASSERT_EQ(view_.row_count(), 1);
    EXPECT_EQ(view_.rows()[0], (MemoryListView::Row{"0", "x", "A1", "7", details_address("A1", "7"), "", ""}));
    EXPECT_EQ(view_.cell_text(0, k_column_url).substr(view_.cell_text(0, k_column_url).find("hash=")),
              "hash=A1&album_id=7&_=");
}

TEST_F(LoadSongList, PageWithEmptyArrayEmptiesTheList) {
    fill_with_old_rows(view_);
    can_page("<script>var dataFromSmarty = [],//当前页面歌曲信息</script>");
    EXPECT_EQ(load_song_list(service_.playlist_address(1), view_), LoadOutcome::loaded);
    EXPECT_EQ(view_.row_count(), 0);
}

struct SilentCase {
    const char* name;
    const char* page;     // canned list page, or nullptr to ask for the source as it stands
    const char* source;   // with {origin} standing for the service's origin
};

class LoadPageSilently : public LoadSongList, public testing::WithParamInterface<SilentCase> {};

TEST_P(LoadPageSilently, KeepsTheRows) {
    fill_with_old_rows(view_);
    if (GetParam().page) can_page(GetParam().page);
    std::string source = GetParam().source;
    if (auto at = source.find("{origin}"); at != std::string::npos) source.replace(at, 8, service_.origin());
    EXPECT_EQ(load_song_list(ansi(source), view_), LoadOutcome::left_unchanged) << GetParam().name;
    expect_old_rows_kept();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LoadPageSilently,
    testing::Values(SilentCase{"page not found", nullptr, "{origin}/songlist/99.html"},
                    SilentCase{"page without the song array", "<html><body>歌单</body></html>", "{origin}/songlist/1.html"},
                    SilentCase{"array that is not JSON", "var dataFromSmarty = [{hash:x}],//当前页面歌曲信息",
                               "{origin}/songlist/1.html"},
                    SilentCase{"nothing listens there", nullptr, "http://127.0.0.1:9/songlist/1.html"},
                    SilentCase{"keyword that merely holds .com", nullptr, "mysongs.com"},
                    SilentCase{"address written in capitals", nullptr, "HTTP://127.0.0.1:9/X.HTML"}));

TEST_F(LoadSongList, WindowHandlesPendingEventsAfterFirstAndLastRow) {
    std::vector<int> rows_seen;
    set_pending_events_hook([&] { rows_seen.push_back(view_.row_count()); });
    can_page("<script>var dataFromSmarty = [{\"hash\":\"A1\"},{\"hash\":\"B2\"},{\"hash\":\"C3\"}],//当前页面歌曲信息");
    load_song_list(service_.playlist_address(1), view_);
    set_pending_events_hook({});
    ASSERT_GE(rows_seen.size(), 2u);
    EXPECT_NE(std::find(rows_seen.begin(), rows_seen.end(), 1), rows_seen.end());
    EXPECT_EQ(rows_seen.back(), 3);
    EXPECT_EQ(view_.cell_text(1, k_column_hash), "B2");
}

TEST_F(LoadSongList, LoadStartedDuringAFillReplacesItsRows) {
    bool nested_done = false;
    set_pending_events_hook([&] {
        if (nested_done || view_.row_count() != 1) return;
        nested_done = true;
        EXPECT_EQ(load_song_list("mira", view_), LoadOutcome::loaded);
    });
    EXPECT_EQ(load_song_list(ansi("抖音"), view_), LoadOutcome::loaded);
    set_pending_events_hook({});
    ASSERT_TRUE(nested_done);
    const auto found = service_.catalogue().search("mira");
    ASSERT_EQ(view_.row_count(), static_cast<int>(found.size()));
    EXPECT_EQ(view_.cell_text(view_.row_count() - 1, k_column_hash), found.back()->hash);
}

}  // namespace
}  // namespace melkora
