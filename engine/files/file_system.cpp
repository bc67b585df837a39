#include "engine/files/file_system.h"

#include <algorithm>

#include "engine/files/local_source.h"
#include "engine/files/zip_source.h"

FileSystem* g_file_system = nullptr;

FileSystem::FileSystem() {
    add_source(new LocalSource);
    add_source(new ZipSource);
}

FileSystem::~FileSystem() {
    for (FileSource* source : sources_) source->unmount();
    sources_.delete_all();
}

void FileSystem::add_source(FileSource* source) {
    source->mount();
    sources_.push(source);
}

int FileSystem::load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) {
    for (FileSource* source : sources_)
        if (source->load_file(name, bytes, size) == kFileOk) return kFileOk;
    return kFileNotFound;
}

std::optional<std::vector<uint8_t>> FileSystem::read_whole_file(std::u16string_view name) {
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    if (load_file(name, &bytes, &size) != kFileOk) return std::nullopt;
    std::vector<uint8_t> whole(bytes, bytes + size);
    mem_free(bytes);
    return whole;
}

std::optional<std::vector<uint8_t>> read_game_file(std::u16string_view name) {
    if (!g_file_system) return std::nullopt;
    return g_file_system->read_whole_file(name);
}

std::string_view as_text(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

int FileSystem::save_file(std::u16string_view name, const uint8_t* bytes, int32_t size,
                          int32_t source_index) {
    if (source_index < 0 || source_index >= sources_.count()) return kFileFailed;
    return sources_[source_index]->save_file(name, bytes, size) == kFileOk ? kFileOk : kFileFailed;
}

FileHandle* FileSystem::open(std::u16string_view name) {
    for (int32_t i = 0; i < sources_.count(); ++i) {
        FileHandle* handle = sources_[i]->open(name);
        if (!handle) continue;
        handle->source = i;
        handle->name = std::u16string(name);
        handle->owner = this;
        return handle;
    }
    return nullptr;
}

int32_t FileSystem::read(FileHandle* handle, void* buffer, int32_t n) {
    int32_t wanted = std::min(n, handle->size - handle->position);
    if (wanted <= 0) return 0;
    return sources_[handle->source]->read(handle, buffer, wanted);
}

void FileSystem::close(FileHandle* handle) {
    if (handle) sources_[handle->source]->close(handle);
}
