#include "shell/instance_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace melkora {
namespace {

namespace fs = std::filesystem;

struct ScanCase {
    const char* label;
    std::vector<std::string> processes;
    std::string own_name;
    bool expected;
    int expected_pauses;  // how often the window may handle its events meanwhile
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.label; }

class InstanceScan : public testing::TestWithParam<ScanCase> {};

TEST_P(InstanceScan, CountsProcessesWhoseNameLiesInsideOwnName) {
    const ScanCase& c = GetParam();
    int pauses = 0;
    EXPECT_EQ(another_instance_running(c.processes, c.own_name, [&] { ++pauses; }), c.expected);
    EXPECT_EQ(pauses, c.expected_pauses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstanceScan,
    testing::Values(
        ScanCase{"OnlyCopy", {"systemd", "bash", "melkora", "Xvfb"}, "melkora", false, 4},
        ScanCase{"SecondCopyStopsTheScan", {"bash", "melkora", "melkora", "Xvfb"}, "melkora", true, 2},
        ScanCase{"NameDiffersInCaseOnly", {"melkora", "Melkora", "MELKORA"}, "melkora", false, 3},
        ScanCase{"CopyUnderLongerName", {"melkora", "melkora-copy"}, "melkora", false, 2},
        ScanCase{"UnrelatedNameInsideOwnName", {"abcd", "cd"}, "abcd", true, 1},
        ScanCase{"OwnNameUnknown", {"melkora", "melkora"}, "", false, 2},
        ScanCase{"NoProcesses", {}, "melkora", false, 0}),
    [](const testing::TestParamInfo<ScanCase>& param_info) { return std::string(param_info.param.label); });

// A stand-in for /proc, with the kinds of entries the real one holds.
class FakeProcRoot : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("melkora-proc-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path process(const std::string& pid) {
        fs::create_directories(root_ / pid);
        return root_ / pid;
    }
    void exe_link(const std::string& pid, const std::string& target) {
        fs::create_symlink(target, process(pid) / "exe");
    }
    void comm(const std::string& pid, const std::string& name) { std::ofstream(process(pid) / "comm") << name << '\n'; }

    fs::path root_;
};

TEST_F(FakeProcRoot, NamesComeFromExeLinkThenCommAndUnreadableProcessesAreLeftOut) {
    exe_link("1", "/usr/bin/melkora");
    exe_link("22", "/home/u/build/melkora (deleted)");
    comm("22", "ignored");
    comm("333", "kworker/0:1");
    process("4444");  // ended while being listed: neither link nor name
    process("self");
    process("acpi");
    exe_link("self", "/usr/bin/melkora");

    std::vector<std::string> names = running_process_names(root_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"kworker/0:1", "melkora", "melkora"}));
    EXPECT_EQ(own_program_name(root_), "melkora");
}

TEST_F(FakeProcRoot, MissingRootGivesNoProcessesAndNoOwnName) {
    EXPECT_TRUE(running_process_names(root_ / "absent").empty());
    EXPECT_EQ(own_program_name(root_ / "absent"), "");
}

TEST(RealProcessList, HoldsThisTestUnderItsOwnName) {
    const std::string own = own_program_name();
    EXPECT_EQ(own, fs::read_symlink("/proc/self/exe").filename().string());
    const std::vector<std::string> names = running_process_names();
    EXPECT_NE(std::find(names.begin(), names.end(), own), names.end());
}

}  // namespace
}  // namespace melkora
