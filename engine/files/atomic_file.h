// Replaces a file so that a crash or a full disk leaves either the old or the
// new contents, never a torn file: the bytes go to a temporary file in the
// same folder, which is flushed to the disk and then renamed over the target.
#pragma once

#include <cstddef>
#include <string>

enum class AtomicWriteStep { create, write, sync, close, rename };

// True when every step succeeded. On failure the target is untouched, the
// temporary file is removed, and errno says why the failing step failed.
bool write_file_atomically(const std::string& path, const void* bytes, size_t size);

// Tests make a chosen step fail by returning true for it. Null clears.
using AtomicWriteFault = bool (*)(AtomicWriteStep step);
void set_atomic_write_fault(AtomicWriteFault fault);

// Removes the temporary files that writes interrupted before their rename
// left in `folder` ("NAME.tmp-XXXXXX"); other files stay. Returns how many
// went. Safe only while no other instance writes there.
int remove_stale_temp_files(const std::string& folder);
