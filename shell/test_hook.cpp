#include "shell/test_hook.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace melkora {

void trace_for_tests(std::string_view line) {
    const char* path = std::getenv("MELKORA_TEST_TRACE");
    if (path == nullptr || *path == '\0') return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::string record(line);
    record += '\n';
    // One write per line, so a reader never sees half a line.
    [[maybe_unused]] const ssize_t written = ::write(fd, record.data(), record.size());
    ::close(fd);
}

std::optional<std::vector<std::string>> scripted_answers_for_tests() {
    const char* list = std::getenv("MELKORA_TEST_ANSWERS");
    if (list == nullptr) return std::nullopt;
    std::vector<std::string> answers;
    std::string_view rest = list;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        answers.emplace_back(rest.substr(0, comma));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
        if (rest.empty()) answers.emplace_back();
    }
    return answers;
}

}  // namespace melkora
