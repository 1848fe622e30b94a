#pragma once
// The bodies the sample service answers with, shaped like the music service's own answers.
#include <string>
#include <vector>

#include "sampleservice/sample_catalogue.h"

namespace melkora::sample {

// A JSON string literal, quotes included. With ascii_only every character beyond ASCII becomes a
// \u escape (a surrogate pair beyond U+FFFF), as the details interface writes it; otherwise the
// UTF-8 bytes stand as they are.
std::string json_string(const std::string& utf8, bool ascii_only = false);

// The song search: `page_size` songs of `found` at most, "total" counting all of them.
std::string search_answer(const std::vector<const SampleSong*>& found, int page_size);

// The suggestions for a keyword: up to `music_count` song hints and up to `mv_count` video hints.
std::string tip_answer(const std::vector<const SampleSong*>& found, int music_count, int mv_count);

// The song details; `origin` is "http://host:port", the base of the cover and play addresses.
std::string details_answer(const SampleSong& song, const std::string& origin);
std::string unknown_song_answer();
std::string lyrics_of(const SampleSong& song);

// A list page whose script embeds the songs `first` .. `first + count - 1` of the catalogue.
std::string playlist_page(const std::vector<SampleSong>& songs, int first, int count);

}  // namespace melkora::sample
