// Decodes a BMP file through the engine's decoder and writes the result as a
// PNG, so a picture can be checked before it goes into the data:
//
//   bmp_to_png IN.bmp OUT.png [--grayscale] [--invert] [--no-red] [--no-green]
//              [--no-blue] [--color-correct] [--444 | --555 | --565]
//              [--flags NUMBER]
//
// The 16-bit pixels are widened back to 8 bits a channel by repeating their
// top bits; a picture with an alpha plane gets an alpha channel (0..32 scaled
// to 0..255).
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/pictures/bmp_decoder.h"
#include "engine/pictures/color_convert.h"

namespace {

struct Option {
    const char* name;
    uint32_t flag;
};

constexpr Option kOptions[] = {
    {"--grayscale", load_flag::kGrayscale}, {"--invert", load_flag::kInvert},
    {"--no-red", load_flag::kNoRed},        {"--no-green", load_flag::kNoGreen},
    {"--no-blue", load_flag::kNoBlue},      {"--color-correct", load_flag::kColorCorrect},
    {"--444", load_flag::kOutput444},       {"--555", load_flag::kOutput555},
    {"--565", load_flag::kOutput565},
};

int usage() {
    std::fprintf(stderr,
                 "usage: bmp_to_png IN.bmp OUT.png [--grayscale] [--invert] [--no-red] "
                 "[--no-green] [--no-blue] [--color-correct] [--444|--555|--565] [--flags N]\n");
    return 2;
}

bool parse_flags(int argc, char** argv, uint32_t& flags) {
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        bool known = false;
        for (const Option& o : kOptions)
            if (arg == o.name) flags |= o.flag, known = true;
        if (!known && arg == "--flags" && i + 1 < argc) {
            char* end = nullptr;
            flags |= uint32_t(std::strtoul(argv[++i], &end, 0));
            known = *end == 0;
        }
        if (!known) {
            std::fprintf(stderr, "bmp_to_png: unknown option %s\n", arg.c_str());
            return false;
        }
    }
    return true;
}

uint8_t widen(uint32_t value, int bits) {
    const uint32_t top = value << (8 - bits);
    return uint8_t(top | (top >> bits));
}

// One pixel back to 8-bit red, green, blue in the packing the flags chose.
void unpack(uint16_t p, uint32_t flags, uint8_t* rgb) {
    if (flags & load_flag::kOutput444) {
        rgb[0] = widen(p >> 8 & 15, 4), rgb[1] = widen(p >> 4 & 15, 4), rgb[2] = widen(p & 15, 4);
    } else if (flags & load_flag::kOutput555) {
        rgb[0] = widen(p >> 10 & 31, 5), rgb[1] = widen(p >> 5 & 31, 5), rgb[2] = widen(p & 31, 5);
    } else {
        rgb[0] = widen(p >> 11, 5), rgb[1] = widen(p >> 5 & 63, 6), rgb[2] = widen(p & 31, 5);
    }
}

bool write_png(const char* path, const Bitmap& b, uint32_t flags) {
    FILE* out = std::fopen(path, "wb");
    if (!out) {
        std::fprintf(stderr, "bmp_to_png: cannot write %s\n", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        std::fprintf(stderr, "bmp_to_png: libpng failed writing %s\n", path);
        return false;
    }
    const int channels = b.has_alpha() ? 4 : 3;
    png_init_io(png, out);
    png_set_IHDR(png, info, png_uint_32(b.width), png_uint_32(b.height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(b.width) * size_t(channels));
    for (int32_t y = 0; y < b.height; ++y) {
        for (int32_t x = 0; x < b.width; ++x) {
            uint8_t* px = &row[size_t(x) * size_t(channels)];
            unpack(b.pixel(x, y), flags, px);
            if (channels == 4) px[3] = uint8_t(b.alpha[b.index(x, y)] * 255 / kOpaque);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    uint32_t flags = 0;
    if (!parse_flags(argc, argv, flags)) return usage();

    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bmp_to_png: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    auto bitmap = load_bitmap_file(argv[1], file, flags);
    if (!bitmap) return 1;
    return write_png(argv[2], *bitmap, with_default_format(flags)) ? 0 : 1;
}
