// Helpers shared by the zip tests: files in a scratch folder, and reading a
// whole member through the archive's own calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/files/zip_archive.h"
#include "tests/support/scratch_folder.h"

namespace zip_test {

namespace fs = std::filesystem;

inline void write_file(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Reads the selected member in pieces of `piece` bytes. `result` gets 0 or
// the first negative code.
inline std::vector<uint8_t> read_member(ZipArchive& archive, int& result, uint32_t piece = 5000) {
    std::vector<uint8_t> data;
    result = archive.open_entry();
    if (result != kZipOk) return data;
    std::vector<uint8_t> buffer(piece);
    for (;;) {
        int n = archive.read_entry(buffer.data(), piece);
        if (n < 0) {
            result = n;
            break;
        }
        if (n == 0) break;
        data.insert(data.end(), buffer.begin(), buffer.begin() + n);
    }
    archive.close_entry();
    return data;
}

inline std::vector<uint8_t> pseudo_random_bytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 16);
    }
    return bytes;
}

inline std::vector<uint8_t> text_bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace zip_test
