#include "shell/instance_scan.h"

#include <fstream>
#include <system_error>

#include "web/pending_events.h"

namespace melkora {

namespace {

namespace fs = std::filesystem;

bool is_process_directory(const fs::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// The kernel marks the link of an executable replaced on disk (a rebuild, an upgrade) with this
// suffix; the process is still a copy of the program under that name.
std::string without_deleted_suffix(std::string name) {
    constexpr std::string_view suffix = " (deleted)";
    if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
    return name;
}

std::string name_from_exe_link(const fs::path& process_dir) {
    std::error_code error;
    const fs::path target = fs::read_symlink(process_dir / "exe", error);
    if (error) return {};
    return without_deleted_suffix(target.filename().string());
}

// Kernel threads and other users' processes have no readable exe link; their short command
// name is the best name the system offers.
std::string name_from_comm(const fs::path& process_dir) {
    std::ifstream comm(process_dir / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

std::string process_name(const fs::path& process_dir) {
    std::string name = name_from_exe_link(process_dir);
    return name.empty() ? name_from_comm(process_dir) : name;
}

}  // namespace

std::vector<std::string> running_process_names(const fs::path& proc_root) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(proc_root, error)) {
        if (!is_process_directory(entry)) continue;
        // An empty name would occur inside every file name and count as a copy.
        std::string name = process_name(entry.path());
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

std::string own_program_name(const fs::path& proc_root) { return name_from_exe_link(proc_root / "self"); }

bool another_instance_running(const std::vector<std::string>& process_names, std::string_view own_name,
                              const std::function<void()>& between_processes) {
    int instance_count = 0;
    for (const std::string& name : process_names) {
        if (own_name.find(name) != std::string_view::npos) ++instance_count;
        if (instance_count > 1) return true;
        between_processes();
    }
    return false;
}

bool another_instance_running() {
    const std::vector<std::string> names = running_process_names();
    return another_instance_running(names, own_program_name(), process_pending_events);
}

}  // namespace melkora
