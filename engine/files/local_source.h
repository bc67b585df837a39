// Loose files below the program folder. Names resolve without regard to
// letter case; saving replaces the file atomically.
#pragma once

#include <string>

#include "engine/files/case_insensitive_paths.h"
#include "engine/files/file_system.h"

class LocalSource : public FileSource {
public:
    int load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) override;
    int save_file(std::u16string_view name, const uint8_t* bytes, int32_t size) override;
    FileHandle* open(std::u16string_view name) override;
    int32_t read(FileHandle* handle, void* buffer, int32_t n) override;
    void close(FileHandle* handle) override;

    // Largest loose file served: the size and its two zero bytes must fit an i32.
    static constexpr int64_t kMaxFileSize = INT32_MAX - 2;

private:
    std::string host_path(std::u16string_view name) const;
    // Opens an existing regular file for reading; null otherwise.
    FILE* open_for_reading(std::u16string_view name, int64_t* size);

    CaseInsensitivePaths paths_;
};
