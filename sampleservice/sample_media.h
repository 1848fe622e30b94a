#pragma once
// Audio and cover files of the sample service, made when first asked for: short sine tones
// encoded by sox, and small bitmaps drawn here.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace melkora::sample {

class SampleMedia {
public:
    // An empty directory means a private temporary one, removed again by the destructor.
    explicit SampleMedia(std::filesystem::path directory = {});
    ~SampleMedia();
    SampleMedia(const SampleMedia&) = delete;
    SampleMedia& operator=(const SampleMedia&) = delete;

    // The MP3 file of a tone, made on first use; nullopt when sox could not make it.
    std::optional<std::filesystem::path> tone_file(int tone);

    const std::filesystem::path& directory() const { return directory_; }

private:
    std::filesystem::path directory_;
    bool owns_directory_ = false;
    std::mutex mutex_;
};

// A small 24-bit bitmap, coloured after the seed: a picture any image reader takes.
std::string cover_bitmap(unsigned seed);

// Reads a whole file; nullopt when it cannot be read.
std::optional<std::string> read_file(const std::filesystem::path& path);

}  // namespace melkora::sample
