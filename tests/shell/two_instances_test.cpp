// Starts the real program twice, as two processes, and watches the single-instance guard: the
// second copy prompts and the first does not; the answers decide whether the second runs on;
// every copy ends with exit code 0 after running its exit routine once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds k_patience{90};  // a sanitizer build starts slowly on a busy machine

// One running copy of the program. It writes its trace lines into a pipe that this test reads.
class RunningProgram {
public:
    RunningProgram(const fs::path& program, const std::string& answers) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        trace_read_ = fds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        std::vector<std::string> env = environment(answers);
        std::vector<char*> envp;
        for (std::string& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = program.string();
        char* argv[] = {path.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (pid_ > 0) pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    }

    ~RunningProgram() {
        if (exit_code_ == std::nullopt && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (pidfd_ >= 0) ::close(pidfd_);
        if (trace_read_ >= 0) ::close(trace_read_);
    }

    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return pid_ > 0 && pidfd_ >= 0; }

    // Waits until a trace line begins with the prefix; false when the program ended first.
    bool wait_for_line(const std::string& prefix) {
        const auto deadline = Clock::now() + k_patience;
        while (Clock::now() < deadline) {
            if (has_line(prefix)) return true;
            if (!read_some(deadline)) return has_line(prefix);
        }
        return false;
    }

    // The exit code once the program has ended by itself; nothing when it is still running then.
    std::optional<int> wait_for_exit(std::chrono::milliseconds patience = k_patience) {
        pollfd ended{pidfd_, POLLIN, 0};
        if (::poll(&ended, 1, static_cast<int>(patience.count())) != 1) return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        drain();
        return exit_code_;
    }

    bool running() {
        pollfd ended{pidfd_, POLLIN, 0};
        return ::poll(&ended, 1, 0) == 0;
    }

    void ask_to_end() { ::kill(pid_, SIGTERM); }

    long count(const std::string& prefix) const {
        return std::count_if(lines_.begin(), lines_.end(), [&](const std::string& line) { return line.starts_with(prefix); });
    }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    static std::vector<std::string> environment(const std::string& answers) {
        std::vector<std::string> env;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view item = *entry;
            if (item.starts_with("MELKORA_TEST_") || item.starts_with("QT_QPA_PLATFORM=")) continue;
            env.emplace_back(item);
        }
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
        env.emplace_back("MELKORA_TEST_TRACE=/dev/fd/3");
        env.emplace_back("MELKORA_TEST_ANSWERS=" + answers);
        if (std::getenv("ASAN_OPTIONS") == nullptr) env.emplace_back("ASAN_OPTIONS=detect_leaks=0");
        return env;
    }

    bool has_line(const std::string& prefix) const { return count(prefix) > 0; }

    // Reads what arrived before the deadline; false at the end of the trace.
    bool read_some(Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{trace_read_, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(std::max<long>(left.count(), 0))) != 1) return true;
        char buffer[4096];
        const ssize_t got = ::read(trace_read_, buffer, sizeof buffer);
        if (got <= 0) return false;
        split_lines(std::string_view(buffer, static_cast<std::size_t>(got)));
        return true;
    }

    void drain() {
        const int flags = ::fcntl(trace_read_, F_GETFL);
        ::fcntl(trace_read_, F_SETFL, flags | O_NONBLOCK);
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(trace_read_, buffer, sizeof buffer)) > 0) {
            split_lines(std::string_view(buffer, static_cast<std::size_t>(got)));
        }
    }

    void split_lines(std::string_view data) {
        partial_ += data;
        std::size_t end = 0;
        while ((end = partial_.find('\n')) != std::string::npos) {
            lines_.push_back(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
    }

    pid_t pid_ = -1;
    int pidfd_ = -1;
    int trace_read_ = -1;
    std::optional<int> exit_code_;
    std::string partial_;
    std::vector<std::string> lines_;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

// The program under names of this test's own, so that no other program on the machine counts
// as a copy; hard links keep them the same file.
class ProgramNames {
public:
    ProgramNames() : dir_(fs::path(MELKORA_PROGRAM).parent_path() / ("guard-test-" + std::to_string(::getpid()))) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~ProgramNames() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    ProgramNames(const ProgramNames&) = delete;
    ProgramNames& operator=(const ProgramNames&) = delete;

    fs::path named(const std::string& suffix) {
        const fs::path path = dir_ / ("mk-guard-" + std::to_string(::getpid()) + "-" + suffix);
        if (fs::exists(path)) return path;
        std::error_code error;
        fs::create_hard_link(MELKORA_PROGRAM, path, error);
        if (error) fs::copy_file(MELKORA_PROGRAM, path);
        return path;
    }

private:
    fs::path dir_;
};

struct GuardCase {
    const char* label;
    const char* second_name;  // the first copy runs as "a"
    const char* answers;      // the second copy's answers to its boxes
    long boxes;
    bool second_runs_on;
};

void PrintTo(const GuardCase& c, std::ostream* out) { *out << c.label; }

class TwoCopies : public testing::TestWithParam<GuardCase> {
protected:
    ProgramNames names_;
};

TEST_P(TwoCopies, SecondCopyAsksAndFirstRunsOn) {
    const GuardCase& c = GetParam();
    // An empty answer list closes any box at once: a prompt in the first copy shows in its trace.
    RunningProgram first(names_.named("a"), "");
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(first.wait_for_line("message_loop")) << joined(first.lines());

    RunningProgram second(names_.named(c.second_name), c.answers);
    ASSERT_TRUE(second.started());
    if (c.second_runs_on) {
        ASSERT_TRUE(second.wait_for_line("message_loop")) << joined(second.lines());
        second.ask_to_end();
    }
    EXPECT_EQ(second.wait_for_exit(), std::optional<int>(0));
    EXPECT_EQ(second.count("message_box"), c.boxes) << joined(second.lines());
    if (c.boxes > 0) {
        EXPECT_TRUE(second.lines().front().starts_with("message_box caption=询问你要不要多开啊:"));
    }
    EXPECT_EQ(second.count("message_loop"), c.second_runs_on ? 1 : 0);
    EXPECT_EQ(second.count("exit_routine"), 1);

    EXPECT_TRUE(first.running());
    first.ask_to_end();
    EXPECT_EQ(first.wait_for_exit(), std::optional<int>(0));
    EXPECT_EQ(first.count("message_box"), 0) << joined(first.lines());
    EXPECT_EQ(first.count("exit_routine"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TwoCopies,
    testing::Values(GuardCase{"AnsweringNoEndsTheSecond", "a", "no", 1, false},
                    GuardCase{"YesThenCancelEndsTheSecond", "a", "yes,cancel", 2, false},
                    GuardCase{"YesThenClosingTheBoxEndsTheSecond", "a", "yes,", 2, false},
                    GuardCase{"YesThenOkRunsTheSecondOn", "a", "yes,ok,ok", 3, true},
                    GuardCase{"CopyUnderAnotherNameIsNotDetected", "b", "", 0, true},
                    GuardCase{"NameInOtherCaseIsNotDetected", "A", "", 0, true}),
    [](const testing::TestParamInfo<GuardCase>& param_info) { return std::string(param_info.param.label); });

}  // namespace
