// A program folder of pictures and sprite definitions for the sprite and
// cache tests, with a file system and both caches over it, and a failure
// handler that records required files that could not be had instead of
// ending the program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/pictures/resource_caches.h"
#include "tests/support/scratch_folder.h"
#include "tools/bitmap_tools/bmp_writer.h"

struct FailureLog {
    static std::vector<std::u16string>& names() {
        static std::vector<std::u16string> list;
        return list;
    }
    static std::vector<std::string>& reasons() {
        static std::vector<std::string> list;
        return list;
    }
    static void record(std::u16string_view name, const std::string& reason) {
        names().emplace_back(name);
        reasons().push_back(reason);
    }
    static void clear() {
        names().clear();
        reasons().clear();
    }
};

// A BMP of the given 0xAARRGGBB pixels, top row first (32 bits keep alpha).
inline std::string bmp_file(int32_t width, int32_t height, const std::vector<uint32_t>& pixels, uint16_t bits = 24) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = bits;
    std::vector<uint8_t> bytes = write_bmp(layout, pixels);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string plain_bmp(int32_t width, int32_t height, uint32_t rgb = 0x204080) {
    return bmp_file(width, height, std::vector<uint32_t>(size_t(width) * size_t(height), rgb));
}

// While it lives: `program_folder` as the program folder, a file system
// and both caches over it, and failures recorded in FailureLog.
class ResourceFiles {
public:
    explicit ResourceFiles(const std::u16string& program_folder) {
        set_program_folder(program_folder);
        g_file_system = new FileSystem;
        create_resource_caches();
        set_resource_failure_handler(FailureLog::record);
        FailureLog::clear();
    }
    ~ResourceFiles() {
        destroy_resource_caches();
        delete g_file_system;
        g_file_system = nullptr;
        set_resource_failure_handler(nullptr);
    }
    ResourceFiles(const ResourceFiles&) = delete;
    ResourceFiles& operator=(const ResourceFiles&) = delete;
};

class GraphicsFilesTest : public ::testing::Test {
protected:
    void write(const std::string& name, const std::string& contents) { folder_.write(name, contents); }

    ScratchFolder folder_{"graphics"};
    ResourceFiles resources_{folder_.u16()};
};
