#pragma once
// Finding other running copies of the program among the system's processes. Qt-free: the
// window hands in its "process pending events" step as a callback.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace melkora {

// The executable file name (no directory) of every process under proc_root, in the order the
// directory lists them. A process whose name cannot be read (it ended meanwhile) is left out.
std::vector<std::string> running_process_names(const std::filesystem::path& proc_root = "/proc");

// The program's own executable file name, without directory; empty when it cannot be read.
std::string own_program_name(const std::filesystem::path& proc_root = "/proc");

// True once a second process whose file name occurs inside own_name (case-sensitive) has been
// seen; the program's own process is the first. between_processes runs after every
// non-deciding entry.
bool another_instance_running(const std::vector<std::string>& process_names, std::string_view own_name,
                              const std::function<void()>& between_processes);

// The same over the real process list, letting the window handle its pending events meanwhile.
bool another_instance_running();

}  // namespace melkora
