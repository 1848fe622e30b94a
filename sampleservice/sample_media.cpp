#include "sampleservice/sample_media.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "sampleservice/sample_catalogue.h"

extern char** environ;

namespace melkora::sample {

namespace {

std::filesystem::path make_private_directory() {
    auto pattern = (std::filesystem::temp_directory_path() / "melkora-sample-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return {};
    return buffer.data();
}

// Runs a program directly, without a shell, and reports whether it exited with 0.
bool run_program(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool make_tone(const std::filesystem::path& target, int seconds, int frequency) {
    // Written under a temporary name first, so a broken run never leaves a half file under the real one.
    auto partial = target;
    partial += ".part";
    auto length = std::to_string(seconds);
    bool made = run_program({"sox", "-q", "-n", "-r", "22050", "-c", "1", "-t", "mp3", "-C", "64", partial.string(),
                             "synth", length, "sine", std::to_string(frequency), "fade", "0.05", length, "0.05",
                             "vol", "0.5"});
    std::error_code error;
    if (made) std::filesystem::rename(partial, target, error);
    if (!made || error) std::filesystem::remove(partial, error);
    return made && !error;
}

void put_le(std::string& out, unsigned value, int bytes) {
    for (int k = 0; k < bytes; ++k) out += static_cast<char>((value >> (8 * k)) & 0xFF);
}

}  // namespace

SampleMedia::SampleMedia(std::filesystem::path directory) : directory_(std::move(directory)) {
    if (directory_.empty()) {
        directory_ = make_private_directory();
        owns_directory_ = !directory_.empty();
    } else {
        std::error_code error;
        std::filesystem::create_directories(directory_, error);
    }
}

SampleMedia::~SampleMedia() {
    std::error_code error;
    if (owns_directory_) std::filesystem::remove_all(directory_, error);
}

std::optional<std::filesystem::path> SampleMedia::tone_file(int tone) {
    if (tone < 0 || tone >= k_tone_count || directory_.empty()) return std::nullopt;
    auto seconds = k_tone_seconds[tone];
    auto path = directory_ / ("tone_" + std::to_string(seconds) + "s.mp3");
    std::lock_guard lock(mutex_);
    std::error_code error;
    if (std::filesystem::exists(path, error)) return path;
    if (!make_tone(path, seconds, 330 + 110 * tone)) return std::nullopt;
    return path;
}

std::string cover_bitmap(unsigned seed) {
    constexpr int size = 48;
    constexpr int row_bytes = size * 3;  // a multiple of 4, so rows need no padding
    constexpr int pixel_bytes = row_bytes * size;
    std::string out = "BM";
    put_le(out, 54 + pixel_bytes, 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4);
    put_le(out, 40, 4);
    put_le(out, size, 4);
    put_le(out, size, 4);
    put_le(out, 1, 2);
    put_le(out, 24, 2);
    put_le(out, 0, 4);
    put_le(out, pixel_bytes, 4);
    put_le(out, 2835, 4);
    put_le(out, 2835, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    std::array<unsigned, 3> base = {seed * 53 % 256, seed * 97 % 256, seed * 151 % 256};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            for (unsigned channel : base) out += static_cast<char>((channel + static_cast<unsigned>(x + y) * 2) % 256);
    return out;
}

std::optional<std::string> read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace melkora::sample
