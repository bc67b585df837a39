// Who holds the instance lock, asked of the kernel rather than of the lock
// file: the file keeps the id of whichever process last wrote it, which may
// have ended long ago and its id gone to another program since.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// The process holding a whole-file lock (flock) on the file, as the
// kernel's table of locks names it; none when nobody holds one or the table
// cannot be read.
std::optional<pid_t> whole_file_lock_holder(const std::string& path);

// True when the process runs the same program file as this one.
bool runs_this_program(pid_t pid);
