#include "engine/platform/front_buffer.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/core/byte_order.h"

bool FrontBuffer::open(int width, int height) {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
    if (width == width_ && height == height_) return true;
    width_ = width;
    height_ = height;
    pixels_.assign(size_t(width) * height, 0);
    return true;
}

void FrontBuffer::present(const uint16_t* pixels, std::ptrdiff_t pitch_bytes,
                          const std::vector<Rect>& rects, bool whole) {
    if (!is_open() || !pixels) return;
    presents_++;
    const Rect screen{0, 0, width_, height_};
    auto copy = [&](const Rect& wanted) {
        const Rect r = wanted.intersect(screen);
        if (r.empty()) return;
        for (int y = r.top; y < r.bottom; y++) {
            auto row = reinterpret_cast<const uint8_t*>(pixels) + y * pitch_bytes;
            std::memcpy(&pixels_[size_t(y) * width_ + r.left],
                        row + r.left * sizeof(uint16_t), size_t(r.width()) * sizeof(uint16_t));
        }
        rects_++;
        pixels_copied_ += uint64_t(r.width()) * r.height();
    };
    if (whole) {
        copy(screen);
        return;
    }
    for (const Rect& r : rects) copy(r);
}

uint32_t FrontBuffer::crc() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels_.size() * 2);
    for (uint16_t p : pixels_) append_u16le(bytes, p);
    return uint32_t(crc32(0L, bytes.data(), uInt(bytes.size())));
}

namespace {

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// RGB565 widened to 8 bits a channel, repeating the top bits into the low ones
// so that white stays 255.
void rgb565_to_rgb888(uint16_t p, uint8_t* out) {
    const uint8_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    out[0] = uint8_t((r << 3) | (r >> 2));
    out[1] = uint8_t((g << 2) | (g >> 4));
    out[2] = uint8_t((b << 3) | (b >> 2));
}

// The rows are made by `row_of`; kept apart from save_png so that nothing
// in this frame changes after setjmp.
template <typename RowOf>
bool write_png(FILE* file, const Size& size, std::vector<uint8_t>& row, RowOf row_of) {
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (writer.png) writer.info = png_create_info_struct(writer.png);
    if (!writer.png || !writer.info) return false;
    if (setjmp(png_jmpbuf(writer.png))) return false;
    png_init_io(writer.png, file);
    png_set_IHDR(writer.png, writer.info, size.width, size.height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    for (int y = 0; y < size.height; y++) {
        row_of(y, row.data());
        png_write_row(writer.png, row.data());
    }
    png_write_end(writer.png, nullptr);
    return true;
}

}  // namespace

bool FrontBuffer::save_png(const std::string& path, std::string& error) const {
    const Size size = is_open() ? Size{width_, height_} : kScreenSize;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    std::vector<uint8_t> row(size_t(size.width) * 3);
    const bool written = write_png(file.get(), size, row, [&](int y, uint8_t* out) {
        for (int x = 0; x < size.width; x++) rgb565_to_rgb888(is_open() ? pixel(x, y) : 0, out + x * 3);
    });
    if (!written || std::fflush(file.get()) != 0) {
        error = "failed writing " + path;
        return false;
    }
    return true;
}
