#pragma once
// The songs the sample service knows: generated from the index alone, so every run and every
// process that asks for the same size sees the same catalogue.
#include <cstddef>
#include <string>
#include <vector>

namespace melkora::sample {

struct SampleSong {
    int index = 0;
    std::string hash;        // 32 upper-case hex digits
    std::string album_id;    // decimal digits
    std::string singer;      // UTF-8
    std::string title;       // UTF-8
    std::string album;       // UTF-8
    int seconds = 0;         // the real length of its audio file
    int tone = 0;            // which generated tone file carries it
    bool playable = true;    // false: its play address answers with something that is not audio

    std::string file_name() const { return singer + " - " + title; }
};

// The generated tone files: song k plays tone k % k_tone_count, which lasts k_tone_seconds[tone].
inline constexpr int k_tone_count = 3;
inline constexpr int k_tone_seconds[k_tone_count] = {3, 5, 8};

class SampleCatalogue {
public:
    explicit SampleCatalogue(int song_count);

    const std::vector<SampleSong>& songs() const { return songs_; }
    // nullptr when no song has that hash (compared without regard to ASCII case).
    const SampleSong* find_by_hash(const std::string& hash) const;
    // Songs whose file name, title, singer or album contain the keyword, ASCII letters compared
    // without regard to case; an empty keyword matches nothing, as on the real service.
    std::vector<const SampleSong*> search(const std::string& keyword) const;

private:
    std::vector<SampleSong> songs_;
};

// Lower-cases ASCII letters only; other bytes (UTF-8 sequences) stay as they are.
std::string ascii_lower(std::string text);

}  // namespace melkora::sample
