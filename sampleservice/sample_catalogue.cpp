#include "sampleservice/sample_catalogue.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace melkora::sample {

namespace {

// Names that trouble file systems, quoting, the answer cutting and the code page: every
// catalogue starts with them, whatever its size.
constexpr std::array<std::pair<const char*, const char*>, 12> k_named_songs = {{
    {"周北辰", "抖音神曲 晚风"},
    {"AC/DC 乐队", "高速/公路"},
    {"林夕雨", "时间: 凌晨3点"},
    {"Mira", "为什么? 为什么*"},
    {"陈小雪", "他说\"再见\""},
    {"Tavrin Lu", "It's 'fine'"},
    {"아이유별", "사랑해요 밤하늘"},
    {"晴天乐队", "晴天 🌞 心情"},
    {"The Quiet Harbour", "Brackets }] and <tags> | pipes"},
    {"DJ 抖音", "抖音热舞 Remix"},
    {"反斜杠", "C:\\music\\歌"},
    {"周北辰", "夜空中最亮的星 (Live)"},
}};

constexpr std::array<const char*, 8> k_singers = {
    "周北辰", "林夕雨", "陈小雪", "Tavrin Lu", "아이유별", "The Quiet Harbour", "Mira", "晴天乐队"};
constexpr std::array<const char*, 10> k_first_words = {
    "晚风", "星河", "Summer", "雨夜", "远方", "Midnight", "海边", "旧时光", "Neon", "月光"};
constexpr std::array<const char*, 6> k_second_words = {"的歌", "小调", "Dreams", "恋曲", "慢摇", "Blues"};

std::uint64_t split_mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

std::string hash_of(int index) {
    char digits[33];
    auto seed = static_cast<std::uint64_t>(index) * 2;
    std::snprintf(digits, sizeof digits, "%016llX%016llX", static_cast<unsigned long long>(split_mix(seed + 1)),
                  static_cast<unsigned long long>(split_mix(seed + 2)));
    return digits;
}

SampleSong make_song(int index) {
    SampleSong song;
    song.index = index;
    song.hash = hash_of(index);
    song.album_id = std::to_string(30000000 + index / 3);
    if (index < static_cast<int>(k_named_songs.size())) {
        song.singer = k_named_songs[static_cast<std::size_t>(index)].first;
        song.title = k_named_songs[static_cast<std::size_t>(index)].second;
    } else {
        auto k = static_cast<std::size_t>(index);
        song.singer = k_singers[k % k_singers.size()];
        song.title = std::string(k_first_words[k % k_first_words.size()]) +
                     k_second_words[(k / k_first_words.size()) % k_second_words.size()] + " No." +
                     std::to_string(index);
    }
    song.album = "抖音热歌榜 第" + std::to_string(index / 10 + 1) + "辑";
    song.tone = index % k_tone_count;
    song.seconds = k_tone_seconds[song.tone];
    song.playable = index % 10 != 9;
    return song;
}

bool contains(const std::string& haystack_lower, const std::string& needle_lower) {
    return haystack_lower.find(needle_lower) != std::string::npos;
}

}  // namespace

std::string ascii_lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

SampleCatalogue::SampleCatalogue(int song_count) {
    songs_.reserve(static_cast<std::size_t>(song_count > 0 ? song_count : 0));
    for (int index = 0; index < song_count; ++index) songs_.push_back(make_song(index));
}

const SampleSong* SampleCatalogue::find_by_hash(const std::string& hash) const {
    auto wanted = ascii_lower(hash);
    for (const auto& song : songs_)
        if (ascii_lower(song.hash) == wanted) return &song;
    return nullptr;
}

std::vector<const SampleSong*> SampleCatalogue::search(const std::string& keyword) const {
    std::vector<const SampleSong*> found;
    if (keyword.empty()) return found;
    auto wanted = ascii_lower(keyword);
    for (const auto& song : songs_) {
        if (contains(ascii_lower(song.file_name()), wanted) || contains(ascii_lower(song.album), wanted))
            found.push_back(&song);
    }
    return found;
}

}  // namespace melkora::sample
