// Saving the tools' pictures as BMP files below a data folder:
// the folders on the way are made, and a failed write is reported on
// stderr under the tool's program name (glibc's short invocation name), so
// the build step that failed says which tool it was.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/bitmap_tools/bmp_writer.h"

// Writes `values` (as write_bmp takes them) to root/name.
inline bool save_bmp_file(const std::filesystem::path& root, const std::string& name, const BmpLayout& layout,
                          const std::vector<uint32_t>& values) {
    const std::vector<uint8_t> bytes = write_bmp(layout, values);
    const std::filesystem::path path = root / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", program_invocation_short_name, path.string().c_str());
        return false;
    }
    return true;
}
