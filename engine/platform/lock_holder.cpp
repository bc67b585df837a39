#include "engine/platform/lock_holder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

// One line of the kernel's table of locks, for example
//   "1: FLOCK  ADVISORY  WRITE 23805 fe:00:10953276 0 EOF"
// (a waiter's line has "->" after the number and holds nothing).
struct LockLine {
    std::string kind;
    long pid = 0;
    unsigned major_id = 0, minor_id = 0;
    uintmax_t inode = 0;
};

bool parse_lock_line(const std::string& text, LockLine& out) {
    std::istringstream in(text);
    std::string number, mode, access, file;
    if (!(in >> number >> out.kind) || out.kind == "->") return false;
    if (!(in >> mode >> access >> out.pid >> file)) return false;
    return std::sscanf(file.c_str(), "%x:%x:%" SCNuMAX, &out.major_id, &out.minor_id, &out.inode) == 3;
}

std::string program_file_of(const std::string& proc_entry) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(proc_entry, ec);
    return ec ? std::string() : target.string();
}

}  // namespace

std::optional<pid_t> whole_file_lock_holder(const std::string& path) {
    struct stat file {};
    if (stat(path.c_str(), &file) != 0) return std::nullopt;
    std::ifstream table("/proc/locks");
    LockLine lock;
    for (std::string line; std::getline(table, line);) {
        if (!parse_lock_line(line, lock) || lock.kind != "FLOCK" || lock.pid <= 0) continue;
        if (lock.major_id == major(file.st_dev) && lock.minor_id == minor(file.st_dev) &&
            lock.inode == uintmax_t(file.st_ino)) {
            return pid_t(lock.pid);
        }
    }
    return std::nullopt;
}

bool runs_this_program(pid_t pid) {
    const std::string mine = program_file_of("/proc/self/exe");
    return !mine.empty() && program_file_of("/proc/" + std::to_string(pid) + "/exe") == mine;
}
