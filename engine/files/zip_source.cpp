#include "engine/files/zip_source.h"

#include <algorithm>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"

int ZipSource::mount() {
    unmount();
    archive_ = ZipArchive::open(utf16_to_utf8(resolve_path(u"data.zip")).c_str());
    return 0;
}

int ZipSource::unmount() {
    member_handle_ = nullptr;
    ZipArchive::close(archive_);
    archive_ = nullptr;
    return 0;
}

void ZipSource::end_open_member() {
    archive_->close_entry();
    member_handle_ = nullptr;
}

bool ZipSource::select(std::u16string_view name) {
    if (!archive_) return false;
    // Member names are narrow: each UTF-16 unit keeps its low byte.
    std::string narrow = wide_to_narrow(name);
    // A name with a zero unit in it can match no member.
    return narrow.find('\0') == std::string::npos && archive_->locate(narrow.c_str()) == kZipOk;
}

int ZipSource::load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) {
    if (!select(name)) return kFileNotFound;
    // An empty member counts as missing, as an empty loose file does: each
    // reader then meets an empty file one way only, whichever source has it.
    if (archive_->entry_info().uncompressed_size == 0) return kFileNotFound;
    end_open_member();
    if (archive_->open_entry() != kZipOk) return kFileUnreadable;
    // open_entry refuses members too large for a 32-bit size plus two.
    uint32_t length = archive_->entry_info().uncompressed_size;
    auto* buffer = static_cast<uint8_t*>(mem_alloc(size_t(length) + 2));
    int got = archive_->read_entry(buffer, length);
    archive_->close_entry();
    if (got < 0 || uint32_t(got) != length) {
        mem_free(buffer);
        return kFileUnreadable;
    }
    buffer[length] = 0;
    buffer[length + 1] = 0;
    *bytes = buffer;
    *size = int32_t(length);
    return kFileOk;
}

FileHandle* ZipSource::open(std::u16string_view name) {
    if (!select(name)) return nullptr;
    end_open_member();
    if (archive_->open_entry() != kZipOk) return nullptr;
    auto* handle = new FileHandle;
    handle->size = int32_t(archive_->entry_info().uncompressed_size);
    member_handle_ = handle;
    return handle;
}

int32_t ZipSource::read(FileHandle* handle, void* buffer, int32_t n) {
    // A handle whose member another access has ended reads nothing, rather
    // than the bytes of whichever member is open now.
    if (handle != member_handle_ || !archive_) return 0;
    int32_t wanted = std::min(n, handle->size - handle->position);
    if (wanted <= 0) return 0;
    int got = archive_->read_entry(buffer, uint32_t(wanted));
    if (got <= 0) return 0;
    handle->position += got;
    return got;
}

void ZipSource::close(FileHandle* handle) {
    if (handle && handle == member_handle_) end_open_member();
    delete handle;
}
