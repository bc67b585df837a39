#include "sound/files/sound_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

namespace {

struct FileCallbacks {
    SoundFileOpenFn open = nullptr;
    SoundFileCloseFn close = nullptr;
    SoundFileReadFn read = nullptr;
    SoundFileSeekFn seek = nullptr;
    SoundFileTellFn tell = nullptr;
};
FileCallbacks g_callbacks;

bool has_window_end(const SoundFile* file) { return file->end_offset != -1; }

int clamp_to_length(int64_t target, const SoundFile* file) {
    return int(std::clamp<int64_t>(target, 0, file->length));
}

// Synchronous calls never overlap the worker on the same handle.
void wait_for_pending(SoundFile* file) {
    sound_file_wait_async(file);
}

int read_all(int fd, uint8_t* out, int bytes) {
    int done = 0;
    while (done < bytes) {
        ssize_t got = ::read(fd, out + done, size_t(bytes - done));
        if (got < 0) return -1;
        if (got == 0) break;
        done += int(got);
    }
    return done;
}

bool open_platform_file(SoundFile* file, const char* name) {
    char path[1024];
    if (!sound_file_resolve_path(name, path, sizeof path)) return false;
    file->platform_file = ::open(path, O_RDONLY | O_CLOEXEC);
    if (file->platform_file < 0) return false;
    off_t end = ::lseek(file->platform_file, 0, SEEK_END);
    if (end < 0 || end > INT32_MAX || ::lseek(file->platform_file, 0, SEEK_SET) != 0) {
        ::close(file->platform_file);
        file->platform_file = -1;
        return false;
    }
    file->length = int(end);
    return true;
}

bool open_by_kind(SoundFile* file, const void* source, int length) {
    switch (file->kind()) {
    case SOUND_FILE_PLATFORM:
        return source && open_platform_file(file, static_cast<const char*>(source));
    case SOUND_FILE_MEMORY:
        if (!source || length <= 0) return false;
        file->memory = static_cast<uint8_t*>(const_cast<void*>(source));
        file->length = length;
        return true;
    case SOUND_FILE_CALLBACKS: {
        if (!sound_file_has_callbacks() || !source) return false;
        file->user_handle = g_callbacks.open(static_cast<const char*>(source));
        if (file->user_handle == 0) return false;
        g_callbacks.seek(file->user_handle, 0, 2);
        file->length = std::max(0, g_callbacks.tell(file->user_handle));
        g_callbacks.seek(file->user_handle, 0, 0);
        return true;
    }
    case SOUND_FILE_BUFFERED:
        if (!source || !open_platform_file(file, static_cast<const char*>(source))) return false;
        file->memory = static_cast<uint8_t*>(
            sound_mem_alloc(nullptr, SOUND_FILE_BUFFER_BYTES, __FILE__, __LINE__));
        file->buffer_offset = 0;
        file->buffer_invalid = 1;
        return file->memory != nullptr;
    default:
        return true;  // other kinds are a handle over nothing
    }
}

void close_by_kind(SoundFile* file) {
    switch (file->kind()) {
    case SOUND_FILE_PLATFORM:
        if (file->platform_file >= 0) ::close(file->platform_file);
        break;
    case SOUND_FILE_CALLBACKS:
        if (file->user_handle && g_callbacks.close) g_callbacks.close(file->user_handle);
        break;
    case SOUND_FILE_BUFFERED:
        if (file->platform_file >= 0) ::close(file->platform_file);
        sound_mem_free(nullptr, file->memory, __FILE__, __LINE__);
        break;
    default:
        break;
    }
}

void destroy(SoundFile* file) {
    file->~SoundFile();
    sound_mem_free(nullptr, file, __FILE__, __LINE__);
}

// Kind 3: reads bytes through the 2048-byte buffer. While the buffer is
// invalid the platform file stands at the buffer's base (position minus the
// buffer offset), so a refill always loads the aligned block holding position.
int read_buffered(SoundFile* file, uint8_t* out, int bytes) {
    int n = std::min(bytes, file->length - file->position);
    if (n <= 0) return 0;
    int done = 0;
    while (done < n) {
        int remaining = n - done;
        int piece;
        if (remaining >= SOUND_FILE_BUFFER_BYTES && file->buffer_offset == 0 && file->buffer_invalid) {
            piece = remaining - remaining % SOUND_FILE_BUFFER_BYTES;
            if (read_all(file->platform_file, out + done, piece) != piece) return -1;
        } else {
            if (file->buffer_invalid) {
                if (read_all(file->platform_file, file->memory, SOUND_FILE_BUFFER_BYTES) < 0) return -1;
                file->buffer_invalid = 0;
            }
            piece = std::min(remaining, SOUND_FILE_BUFFER_BYTES - file->buffer_offset);
            if (piece <= 0) return -1;
            std::memcpy(out + done, file->memory + file->buffer_offset, size_t(piece));
            file->buffer_offset += piece;
            if (file->buffer_offset == SOUND_FILE_BUFFER_BYTES) {
                file->buffer_offset = 0;
                file->buffer_invalid = 1;
            }
        }
        done += piece;
        file->position += piece;
    }
    return n;
}

void swap_elements(uint8_t* data, int bytes, int element_size) {
    if (element_size != 2 && element_size != 4) return;
    for (int i = 0; i + element_size <= bytes; i += element_size)
        std::reverse(data + i, data + i + element_size);
}

int read_by_kind(SoundFile* file, uint8_t* out, int bytes) {
    switch (file->kind()) {
    case SOUND_FILE_PLATFORM: {
        int got = read_all(file->platform_file, out, bytes);
        if (got > 0) file->position += got;
        return got;
    }
    case SOUND_FILE_MEMORY: {
        int n = std::max(0, std::min(bytes, file->length - file->position));
        std::memcpy(out, file->memory + file->position, size_t(n));
        file->position += n;
        return n;
    }
    case SOUND_FILE_CALLBACKS: {
        int got = g_callbacks.read ? g_callbacks.read(out, bytes, file->user_handle) : -1;
        if (got > 0) file->position += got;
        return got;
    }
    case SOUND_FILE_BUFFERED:
        return read_buffered(file, out, bytes);
    default:
        return 0;
    }
}

int seek_buffered(SoundFile* file, int target) {
    int base = file->position - file->buffer_offset;
    if (target >= base && target < base + SOUND_FILE_BUFFER_BYTES) {
        file->buffer_offset = target - base;
    } else {
        int aligned = target - target % SOUND_FILE_BUFFER_BYTES;
        if (::lseek(file->platform_file, aligned, SEEK_SET) < 0) return -1;
        file->buffer_offset = target - aligned;
        file->buffer_invalid = 1;
    }
    file->position = target;
    return target;
}

// The element count a read may take so that it stays inside the window.
int64_t cut_to_window(const SoundFile* file, int64_t position, int64_t count, int64_t size) {
    if (!has_window_end(file)) return count;
    int64_t end = file->end_offset;
    if (end + 1 < position + count * size) count = std::max<int64_t>(0, (end - position + 1) / size);
    return count;
}

// Moves a seek offset into the window (the position as the file sees it).
int64_t offset_into_window(const SoundFile* file, int64_t offset, int origin) {
    bool has_end = has_window_end(file);
    if (origin == 0) {
        offset += file->start_offset;
        if (has_end) offset = std::min<int64_t>(offset, file->end_offset);
    } else if (origin == 2) {
        if (has_end) offset = std::min<int64_t>(offset + file->end_offset - file->length + 1, file->end_offset);
    } else if (origin == 1 && has_end) {
        offset = std::min<int64_t>(offset, file->end_offset);
    }
    return offset;
}

int64_t seek_target(const SoundFile* file, int64_t offset, int origin, int64_t current) {
    if (origin == 1) return offset + current;
    if (origin == 2) return offset + file->length;
    return offset;
}

}  // namespace

void file_set_callbacks(SoundFileOpenFn open, SoundFileCloseFn close, SoundFileReadFn read,
                        SoundFileSeekFn seek, SoundFileTellFn tell) {
    if (!open || !close || !read || !seek || !tell) {
        g_callbacks = FileCallbacks{};
        return;
    }
    g_callbacks = FileCallbacks{open, close, read, seek, tell};
}

int sound_file_has_callbacks() {
    return g_callbacks.open && g_callbacks.close && g_callbacks.read && g_callbacks.seek &&
           g_callbacks.tell;
}

SoundFile* sound_file_open(const void* name_or_block, int kind, int length) {
    void* memory = sound_mem_alloc(nullptr, sizeof(SoundFile), __FILE__, __LINE__);
    if (!memory) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return nullptr;
    }
    SoundFile* file = new (memory) SoundFile;
    file->kind_flags = kind;
    if (!open_by_kind(file, name_or_block, length)) {
        close_by_kind(file);
        destroy(file);
        return nullptr;
    }
    return file;
}

void sound_file_close(SoundFile* file) {
    if (!file) return;
    wait_for_pending(file);
    close_by_kind(file);
    destroy(file);
}

int sound_file_read_now(void* buffer, int element_size, int count, SoundFile* file) {
    if (!file || !buffer) return -1;
    if (element_size == 0) element_size = 1;
    if (element_size < 0 || count < 0) return 0;
    int64_t bytes = std::min<int64_t>(int64_t(element_size) * count, INT32_MAX);
    int result = read_by_kind(file, static_cast<uint8_t*>(buffer), int(bytes));
    if (result > 0 && (file->kind_flags & SOUND_FILE_SWAP_BYTES))
        swap_elements(static_cast<uint8_t*>(buffer), result, element_size);
    file->error = result < 0 ? 1 : 0;
    return result;
}

int sound_file_read(void* buffer, int element_size, int count, SoundFile* file) {
    if (!file || !buffer) return -1;
    if (element_size == 0) element_size = 1;
    if (element_size < 0 || count < 0) return 0;  // a negative size x count reads nothing
    bool async = file->synchronous.load() == 0;
    int64_t p = async ? file->logical_position.load() : file->position;
    count = int(std::min<int64_t>(cut_to_window(file, p, count, element_size), INT32_MAX / element_size));
    int result;
    if (async) {
        sound_file_queue_read(file, buffer, element_size, count);
        result = element_size * count;
    } else {
        wait_for_pending(file);
        result = sound_file_read_now(buffer, element_size, count, file);
    }
    if (result >= 0) file->logical_position += result;
    return result;
}

int sound_file_read_u8(SoundFile* file) {
    uint8_t value = 0;
    if (!file || sound_file_read(&value, 1, 1, file) != 1) return 0;
    return value;
}

int sound_file_read_u16(SoundFile* file) {
    uint8_t bytes[2] = {0, 0};
    if (!file || sound_file_read(bytes, 2, 1, file) != 2) return 0;
    return bytes[0] | (bytes[1] << 8);
}

int sound_file_seek_now(SoundFile* file, int offset, int origin) {
    if (!file || origin < 0 || origin > 2) return -1;
    int target = clamp_to_length(seek_target(file, offset, origin, file->position), file);
    switch (file->kind()) {
    case SOUND_FILE_PLATFORM: {
        off_t result = ::lseek(file->platform_file, target, SEEK_SET);
        file->position = target;
        return int(result);
    }
    case SOUND_FILE_CALLBACKS: {
        file->position = target;
        return g_callbacks.seek ? g_callbacks.seek(file->user_handle, offset, origin) : -1;
    }
    case SOUND_FILE_BUFFERED:
        return seek_buffered(file, target);
    default:
        file->position = target;
        return target;
    }
}

int sound_file_seek(SoundFile* file, int offset, int origin) {
    if (!file || origin < 0 || origin > 2) return -1;
    int64_t moved = offset_into_window(file, offset, origin);
    int in_window = int(std::clamp<int64_t>(moved, INT32_MIN, INT32_MAX));
    int result;
    if (file->synchronous.load() == 0) {
        result = clamp_to_length(seek_target(file, in_window, origin, file->logical_position.load()), file);
        sound_file_queue_seek(file, in_window, origin);
    } else {
        wait_for_pending(file);
        result = sound_file_seek_now(file, in_window, origin);
    }
    file->logical_position = result;
    return result;
}

int sound_file_tell(SoundFile* file) {
    if (!file) return -1;
    int position;
    if (file->synchronous.load() == 0) {
        position = file->logical_position.load();
    } else {
        wait_for_pending(file);
        switch (file->kind()) {
        case SOUND_FILE_PLATFORM:
            position = int(::lseek(file->platform_file, 0, SEEK_CUR));
            break;
        case SOUND_FILE_CALLBACKS:
            position = g_callbacks.tell ? g_callbacks.tell(file->user_handle) : -1;
            break;
        default:
            position = file->position;
            break;
        }
    }
    return position - file->start_offset;
}

void sound_file_set_start(SoundFile* file, int offset) {
    if (file) file->start_offset = offset;
}

void sound_file_set_end(SoundFile* file, int last_byte) {
    if (file) file->end_offset = last_byte;
}
