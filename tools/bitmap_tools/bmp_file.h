// Saving the art tools' pictures as BMP files below the demo data folder:
// the folders on the way are made, and a failed write is reported on
// stderr under the tool's program name (glibc's short invocation name), so
// the build step that failed says which tool it was.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tools/demo_bitmaps/bmp_writer.h"

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

// The colour (0xRRGGBB) of pixel (x, y) of frame `frame`.
using FramePainter = std::function<uint32_t(int frame, int x, int y)>;

// A 24-bit picture of `frames` frames stacked top to bottom, each
// width x frame_height, painted pixel by pixel.
inline bool write_picture(const std::filesystem::path& root, const std::string& name, int width, int frame_height,
                          int frames, const FramePainter& paint) {
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(width) * size_t(frame_height) * size_t(frames));
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < frame_height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(paint(f, x, y));
    BmpLayout layout;
    layout.width = width;
    layout.height = frame_height * frames;
    return save_bmp_file(root, name, layout, pixels);
}
