// Runs a shell command to its end and collects what it printed, standard
// error included.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// The command's exit status, or -1 when it did not exit (a signal ended it,
// or it could not be started).
inline int run_command(const std::string& command, std::string& output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
