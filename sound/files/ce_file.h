// The default file functions of the sound library (used when the caller
// installs none): read-only files on the host file system.
#pragma once

#include <cstddef>

void* ce_file_open(const char* name, const char* mode);
int ce_file_close(void* handle);
size_t ce_file_read(void* buffer, size_t size, size_t count, void* handle);
long ce_file_seek(void* handle, long offset, int origin);
long ce_file_tell(void* handle);
// Returns whether a platform file call failed since the last call, and clears it.
int ce_file_take_error();
