// The members of "data.zip" in the program folder, behind the loose files.
// The archive reads one member at a time: opening or loading a member ends
// the one open before, and a handle whose member was ended reads nothing.
#pragma once

#include "engine/files/file_system.h"
#include "engine/files/zip_archive.h"

class ZipSource : public FileSource {
public:
    ~ZipSource() override { unmount(); }

    // A missing or broken archive leaves the source empty.
    int mount() override;
    int load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) override;
    // The archive is read-only: a save into it fails, so the caller can say so.
    int save_file(std::u16string_view, const uint8_t*, int32_t) override { return kFileFailed; }
    int unmount() override;
    FileHandle* open(std::u16string_view name) override;
    int32_t read(FileHandle* handle, void* buffer, int32_t n) override;
    void close(FileHandle* handle) override;

    bool has_archive() const { return archive_ != nullptr; }

private:
    bool select(std::u16string_view name);
    void end_open_member();

    ZipArchive* archive_ = nullptr;
    FileHandle* member_handle_ = nullptr;  // the handle of the open member
};
