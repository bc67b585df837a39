// Another program than the one under test: `sleep`, for tests that must find
// it untouched. It may hold a whole-file lock, as a tool that locks a file
// (flock(1), say) would: taken before it became `sleep`, kept through it.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/platform/lock_holder.h"

class ForeignProgram {
public:
    explicit ForeignProgram(const std::string& locked_file = "") {
        pid_ = fork();
        if (pid_ != 0) return;
        if (!locked_file.empty()) {
            const int fd = open(locked_file.c_str(), O_RDWR | O_CREAT, 0644);
            if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(125);
        }
        execlp("sleep", "sleep", "300", static_cast<char*>(nullptr));
        _exit(127);
    }
    ~ForeignProgram() { end(); }
    ForeignProgram(const ForeignProgram&) = delete;
    ForeignProgram& operator=(const ForeignProgram&) = delete;

    pid_t pid() const { return pid_; }

    // Waits, generously, until the kernel names it as the file's lock holder
    // and it has become `sleep`: it takes the lock while it is still a copy of
    // the program under test, which a busy machine may let the test see.
    bool holds_lock_on(const std::string& path) const {
        for (int tries = 0; tries < 6000; ++tries) {
            if (whole_file_lock_holder(path) == pid_ && runs_another_program()) return true;
            usleep(10000);
        }
        return false;
    }

    // Ends it; true when it was still running, so that our kill is what
    // ended it (a signal sent to it earlier would have ended it first).
    bool end() {
        if (pid_ <= 0) return false;
        kill(pid_, SIGKILL);
        int status = 0;
        const bool reaped = waitpid(pid_, &status, 0) == pid_;
        pid_ = -1;
        return reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    bool runs_another_program() const {
        std::error_code self_error, its_error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", self_error);
        const auto its = std::filesystem::read_symlink("/proc/" + std::to_string(pid_) + "/exe", its_error);
        return !self_error && !its_error && its != self;
    }

    pid_t pid_ = -1;
};
