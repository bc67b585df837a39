#include "engine/pictures/bmp_decoder.h"

#include <cstdio>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/pictures/color_convert.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitfields = 3;
// Larger pictures than this are refused outright; they could not be shown on
// the screen anyway and would only exhaust memory.
constexpr int64_t kMaxPixels = int64_t(1) << 26;

struct BmpHeader {
    uint32_t pixel_offset = 0;
    uint32_t info_size = 0;
    int32_t width = 0;
    int64_t rows = 0;
    bool top_down = false;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t colors_used = 0;
    int64_t row_bytes = 0;
};

// How a 16- or 32-bit pixel is laid out.
enum class PixelLayout { k555, k565, kBgrA, kBgrOpaque };

bool fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool accepted_info_size(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool read_header(std::span<const uint8_t> file, BmpHeader& h, std::string& error) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        return fail(error, "not a BMP file");
    if (file.size() < kFileHeaderSize + 4) return fail(error, "file header truncated");
    const uint8_t* p = file.data();
    h.pixel_offset = read_u32le(p + 10);
    h.info_size = read_u32le(p + 14);
    if (!accepted_info_size(h.info_size))
        return fail(error, "unsupported information header of " + std::to_string(h.info_size) +
                               " bytes");
    if (file.size() < kFileHeaderSize + h.info_size)
        return fail(error, "information header truncated");

    h.width = read_i32le(p + 18);
    const int64_t height = read_i32le(p + 22);
    h.bits = read_u16le(p + 28);
    h.compression = read_u32le(p + 30);
    h.colors_used = read_u32le(p + 46);
    if (h.width <= 0) return fail(error, "bad width " + std::to_string(h.width));
    if (height == 0) return fail(error, "bad height 0");
    h.top_down = height < 0;
    h.rows = height < 0 ? -height : height;

    switch (h.bits) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return fail(error, "unsupported depth of " + std::to_string(h.bits) + " bits");
    }
    const bool masks_allowed = h.bits == 16 || h.bits == 32;
    if (h.compression != kCompressionNone &&
        !(h.compression == kCompressionBitfields && masks_allowed))
        return fail(error, "unsupported compression " + std::to_string(h.compression));
    if (int64_t(h.width) * h.rows > kMaxPixels)
        return fail(error, "picture too large (" + std::to_string(h.width) + " x " +
                               std::to_string(h.rows) + ")");

    h.row_bytes = (int64_t(h.width) * h.bits + 31) / 32 * 4;
    if (h.pixel_offset < kFileHeaderSize + h.info_size)
        return fail(error, "pixel data offset " + std::to_string(h.pixel_offset) +
                               " lies inside the header");
    if (int64_t(h.pixel_offset) + h.row_bytes * h.rows > int64_t(file.size()))
        return fail(error, "pixel data runs past the end of the file");
    return true;
}

bool read_pixel_layout(std::span<const uint8_t> file, const BmpHeader& h, PixelLayout& layout,
                       std::string& error) {
    if (h.compression == kCompressionNone) {
        layout = h.bits == 16 ? PixelLayout::k555 : PixelLayout::kBgrA;
        return true;
    }
    // The masks follow a 40-byte header and are part of the longer ones;
    // either way they start right after the first 40 bytes.
    const size_t at = kFileHeaderSize + 40;
    if (file.size() < at + 12) return fail(error, "channel masks truncated");
    const uint32_t red = read_u32le(&file[at]);
    const uint32_t green = read_u32le(&file[at + 4]);
    const uint32_t blue = read_u32le(&file[at + 8]);
    const uint32_t alpha =
        (h.info_size >= 56 && file.size() >= at + 16) ? read_u32le(&file[at + 12]) : 0;
    if (h.bits == 16 && red == 0x7C00 && green == 0x03E0 && blue == 0x001F) {
        layout = PixelLayout::k555;
        return true;
    }
    if (h.bits == 16 && red == 0xF800 && green == 0x07E0 && blue == 0x001F) {
        layout = PixelLayout::k565;
        return true;
    }
    if (h.bits == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF &&
        (alpha == 0 || alpha == 0xFF000000u)) {
        layout = alpha ? PixelLayout::kBgrA : PixelLayout::kBgrOpaque;
        return true;
    }
    return fail(error, "unsupported channel masks");
}

bool read_palette(std::span<const uint8_t> file, const BmpHeader& h, uint32_t flags,
                  std::vector<uint16_t>& palette, std::string& error) {
    const uint32_t max_entries = 1u << h.bits;
    const uint32_t entries =
        (h.colors_used == 0 || h.colors_used > max_entries) ? max_entries : h.colors_used;
    const size_t at = kFileHeaderSize + h.info_size;
    if (file.size() < at + size_t(entries) * 4) return fail(error, "palette truncated");
    palette.resize(entries);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = &file[at + size_t(i) * 4];  // blue, green, red, unused
        palette[i] = convert_color(flags, e[2], e[1], e[0]);
    }
    return true;
}

// convert_color with the common case (plain RGB565) kept inline.
struct ColorPacker {
    uint32_t flags;
    bool plain = is_plain_rgb565(flags);
    uint16_t operator()(uint8_t r, uint8_t g, uint8_t b) const {
        return plain ? pack_rgb565(r, g, b) : convert_color(flags, r, g, b);
    }
};

uint8_t opacity(uint8_t a) { return a <= 250 ? uint8_t(a >> 3) : kOpaque; }

// Decodes one file row into bitmap row `y`.
void decode_row(const uint8_t* src, const BmpHeader& h, PixelLayout layout,
                const std::vector<uint16_t>& palette, const ColorPacker& pack, Bitmap& out,
                int32_t y) {
    uint16_t* dst = &out.pixels[out.index(0, y)];
    const auto lookup = [&](uint32_t i) -> uint16_t { return i < palette.size() ? palette[i] : 0; };
    switch (h.bits) {
        case 1:
            for (int32_t x = 0; x < h.width; ++x) dst[x] = lookup((src[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int32_t x = 0; x < h.width; ++x)
                dst[x] = lookup((x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4);
            break;
        case 8:
            for (int32_t x = 0; x < h.width; ++x) dst[x] = lookup(src[x]);
            break;
        case 16:
            for (int32_t x = 0; x < h.width; ++x) {
                const uint16_t v = read_u16le(src + 2 * x);
                if (layout == PixelLayout::k565)
                    dst[x] = pack(uint8_t((v >> 8) & 0xF8), uint8_t((v >> 3) & 0xFC),
                                           uint8_t(v << 3));
                else
                    dst[x] = pack(uint8_t((v >> 7) & 0xF8), uint8_t((v >> 2) & 0xF8),
                                           uint8_t(v << 3));
            }
            break;
        case 24:
            for (int32_t x = 0; x < h.width; ++x) {
                const uint8_t* q = src + 3 * x;
                dst[x] = pack(q[2], q[1], q[0]);
            }
            break;
        case 32: {
            uint8_t* alpha = &out.alpha[out.index(0, y)];
            for (int32_t x = 0; x < h.width; ++x) {
                const uint8_t* q = src + 4 * x;
                dst[x] = pack(q[2], q[1], q[0]);
                alpha[x] = layout == PixelLayout::kBgrOpaque ? kOpaque : opacity(q[3]);
            }
            break;
        }
    }
}

}  // namespace

std::unique_ptr<Bitmap> decode_bmp(std::span<const uint8_t> file, uint32_t flags,
                                   std::string& error) {
    flags = with_default_format(flags);
    BmpHeader h;
    PixelLayout layout = PixelLayout::kBgrA;
    std::vector<uint16_t> palette;
    if (!read_header(file, h, error)) return nullptr;
    if (h.bits >= 16 && !read_pixel_layout(file, h, layout, error)) return nullptr;
    if (h.bits <= 8 && !read_palette(file, h, flags, palette, error)) return nullptr;

    auto bitmap = std::make_unique<Bitmap>(h.width, int32_t(h.rows), h.bits == 32);
    const ColorPacker pack{flags};
    for (int64_t row = 0; row < h.rows; ++row) {
        const uint8_t* src = file.data() + h.pixel_offset + row * h.row_bytes;
        const int64_t y = h.top_down ? row : h.rows - 1 - row;
        decode_row(src, h, layout, palette, pack, *bitmap, int32_t(y));
    }
    return bitmap;
}

std::unique_ptr<Bitmap> load_bitmap_file(std::string_view name, std::span<const uint8_t> file,
                                         uint32_t flags) {
    std::string error;
    auto bitmap = decode_bmp(file, flags, error);
    if (!bitmap)
        std::fprintf(stderr, "Cannot load bitmap \"%.*s\": %s\n", int(name.size()), name.data(),
                     error.c_str());
    return bitmap;
}

std::unique_ptr<Bitmap> load_bitmap_file(FileSystem& files, std::u16string_view name,
                                         uint32_t flags) {
    const std::string narrow_name = utf16_to_utf8(name);
    const std::optional<std::vector<uint8_t>> bytes = files.read_whole_file(name);
    if (!bytes) {
        std::fprintf(stderr, "Cannot load bitmap \"%s\": file not found\n", narrow_name.c_str());
        return nullptr;
    }
    return load_bitmap_file(narrow_name, {bytes->data(), bytes->size()}, flags);
}
