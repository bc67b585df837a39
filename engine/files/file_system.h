// The one road from the program to its files. Sources are asked in order
// (loose files of the program folder first, then the archive behind them) and
// the first that has the file wins, so a loose file overrides an archive
// member of the same name. Names are UTF-16, relative to the program folder,
// with either separator and in any letter case.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/core/ptr_array.h"

class FileSystem;

// An open file, from FileSystem::open.
struct FileHandle : PoolObject {
    int32_t position = 0;  // bytes delivered so far
    int32_t size = 0;      // size of the file or of the uncompressed member
    int32_t source = 0;    // index of the source that opened it
    FILE* stream = nullptr;  // the open loose file; null for archive members
    std::u16string name;     // the name it was opened with
    FileSystem* owner = nullptr;
};

// Result codes of load_file and save_file.
enum FileResult : int {
    kFileOk = 0,
    kFileNotFound = 1,     // archive source: no such member, or no archive
    kFileFailed = 2,       // loose files: any failure
    kFileUnreadable = 3,   // archive source: member cannot be read or inflated
};

class FileSource : public PoolObject {
public:
    virtual ~FileSource() = default;

    virtual int mount() { return 0; }
    // On success: a new mem_alloc buffer of *size + 2 bytes, the last two 0.
    virtual int load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) = 0;
    virtual int save_file(std::u16string_view name, const uint8_t* bytes, int32_t size) = 0;
    virtual int unmount() { return 0; }
    // A new handle with position 0 and the size, or null.
    virtual FileHandle* open(std::u16string_view name) = 0;
    // Reads at most n bytes (the caller never asks past the end).
    virtual int32_t read(FileHandle* handle, void* buffer, int32_t n) = 0;
    // Closes and frees the handle.
    virtual void close(FileHandle* handle) = 0;
};

class FileSystem : public PoolObject {
public:
    // Mounts the loose files of the program folder.
    FileSystem();
    ~FileSystem();

    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // Mounts a source behind the ones already there; the file system owns it.
    // The archive source is added this way.
    void add_source(FileSource* source);
    int32_t source_count() const { return sources_.count(); }

    // 0 with a new buffer (size + 2 bytes, two zero bytes at the end; free
    // it with mem_free), or 1 when no source has the file.
    int load_file(std::u16string_view name, uint8_t** bytes, int32_t* size);
    // The whole file, or nothing when no source has it.
    std::optional<std::vector<uint8_t>> read_whole_file(std::u16string_view name);
    // 0, or 2 when the source index is out of range or the source fails.
    int save_file(std::u16string_view name, const uint8_t* bytes, int32_t size,
                  int32_t source_index = 0);

    FileHandle* open(std::u16string_view name);
    int32_t read(FileHandle* handle, void* buffer, int32_t n);
    void close(FileHandle* handle);

private:
    PtrArray<FileSource> sources_;
};

// Lives from engine start-up to shutdown.
extern FileSystem* g_file_system;

// A whole file of the running engine's file system; nothing when the file is
// missing or no file system is up.
std::optional<std::vector<uint8_t>> read_game_file(std::u16string_view name);
// File bytes seen as text (no terminating NUL).
std::string_view as_text(const std::vector<uint8_t>& bytes);
