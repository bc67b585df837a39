#include "sound/files/ce_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sound/system/sound_memory.h"

namespace {

std::atomic<bool> g_file_error{false};

struct FileHandle {
    std::FILE* file;
};

std::FILE* file_of(void* handle) { return handle ? static_cast<FileHandle*>(handle)->file : nullptr; }

}  // namespace

void* ce_file_open(const char* name, const char* mode) {
    if (!name || !mode || !std::strchr(mode, 'r')) return nullptr;
    std::FILE* file = std::fopen(name, "rb");
    if (!file) {
        // A missing file is an answer, not a failure of the platform.
        if (errno != ENOENT && errno != ENOTDIR) g_file_error.store(true);
        return nullptr;
    }
    auto* handle = static_cast<FileHandle*>(SOUND_ALLOC(sizeof(FileHandle)));
    if (!handle) {
        std::fclose(file);
        return nullptr;
    }
    handle->file = file;
    return handle;
}

int ce_file_close(void* handle) {
    if (!handle) return 1;
    std::fclose(file_of(handle));
    SOUND_FREE(handle);
    return 1;
}

size_t ce_file_read(void* buffer, size_t size, size_t count, void* handle) {
    std::FILE* file = file_of(handle);
    if (!file || g_file_error.load()) return 0;
    const size_t wanted = size * count;
    const size_t got = std::fread(buffer, 1, wanted, file);
    if (got < wanted && std::ferror(file)) {
        g_file_error.store(true);
        return 0;
    }
    return got;
}

long ce_file_seek(void* handle, long offset, int origin) {
    std::FILE* file = file_of(handle);
    if (!file || origin < 0 || origin > 2) return 0;
    static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (std::fseek(file, offset, kWhence[origin]) != 0) {
        g_file_error.store(true);
        return -1;
    }
    return std::ftell(file);
}

long ce_file_tell(void* handle) {
    std::FILE* file = file_of(handle);
    if (!file) return 0;
    const long at = std::ftell(file);
    if (at < 0) g_file_error.store(true);
    return at;
}

int ce_file_take_error() { return g_file_error.exchange(false) ? 1 : 0; }
