#include "engine/files/local_source.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/program_paths.h"

std::string LocalSource::host_path(std::u16string_view name) const {
    return utf16_to_utf8(resolve_path(name));
}

FILE* LocalSource::open_for_reading(std::u16string_view name, int64_t* size) {
    std::string asked = host_path(name);
    std::optional<std::string> path = paths_.find(asked);
    if (!path) return nullptr;
    FILE* stream = std::fopen(path->c_str(), "rb");
    if (!stream) {
        // The name was remembered from an earlier lookup and has gone since.
        paths_.forget(asked);
        path = paths_.find(asked);
        stream = path ? std::fopen(path->c_str(), "rb") : nullptr;
        if (!stream) return nullptr;
    }
    struct stat info;
    // A folder opens too; and the size must fit the handle's i32.
    if (::fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxFileSize) {
        std::fclose(stream);
        return nullptr;
    }
    *size = info.st_size;
    return stream;
}

int LocalSource::load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) {
    int64_t length = 0;
    FILE* stream = open_for_reading(name, &length);
    if (!stream) return kFileFailed;
    // An empty file counts as missing, so the archive behind is asked.
    if (length == 0) {
        std::fclose(stream);
        return kFileFailed;
    }
    auto* buffer = static_cast<uint8_t*>(mem_alloc(size_t(length) + 2));
    size_t got = std::fread(buffer, 1, size_t(length), stream);
    std::fclose(stream);
    if (got != size_t(length)) {
        mem_free(buffer);
        return kFileFailed;
    }
    buffer[length] = 0;
    buffer[length + 1] = 0;
    *bytes = buffer;
    *size = int32_t(length);
    return kFileOk;
}

int LocalSource::save_file(std::u16string_view name, const uint8_t* bytes, int32_t size) {
    if (size < 0 || (size > 0 && !bytes)) return kFileFailed;
    std::string path = paths_.for_writing(host_path(name));
    return write_file_atomically(path, bytes, size_t(size)) ? kFileOk : kFileFailed;
}

FileHandle* LocalSource::open(std::u16string_view name) {
    int64_t length = 0;
    FILE* stream = open_for_reading(name, &length);
    if (!stream) return nullptr;
    auto* handle = new FileHandle;
    handle->size = int32_t(length);
    handle->stream = stream;
    return handle;
}

int32_t LocalSource::read(FileHandle* handle, void* buffer, int32_t n) {
    int32_t wanted = std::min(n, handle->size - handle->position);
    if (wanted <= 0) return 0;
    int32_t got = int32_t(std::fread(buffer, 1, size_t(wanted), handle->stream));
    handle->position += got;
    return got;
}

void LocalSource::close(FileHandle* handle) {
    if (handle->stream) std::fclose(handle->stream);
    delete handle;
}
