// demo_sprites SOURCE... OUT_DIR
//
// Draws the demo sprites' pictures from small text sources (see
// data/sprites/*.txt) as BMP files below OUT_DIR. A source names its picture
// and frame size, defines one-letter colours, and then lists frames as rows
// of letters, stacked top to bottom in the picture; rows shorter than the
// frame are filled with the colour key. "tiles" draws a strip of ground tiles
// by code instead of letters.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bitmap_tools/bmp_file.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;

struct Sheet {
    std::string file;
    int32_t width = 0, height = 0;  // one frame
    std::vector<uint32_t> pixels;   // frames stacked, top row first
    int32_t frames = 0;
};

uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// A cheap repeatable noise in 0..1 for a pixel.
double noise(int x, int y, int salt) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(salt) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h >> 8 & 0xFFFF) / 65535.0;
}

uint32_t tile_pixel(int kind, int x, int y, int size) {
    const double n = noise(x, y, kind);
    switch (kind) {
        case 0:  // grass
            return n > 0.85 ? rgb(90, 170, 60) : n > 0.3 ? rgb(60, 140, 50) : rgb(50, 120, 40);
        case 1: {  // water: moving bands
            const double wave = std::sin((x + 2 * y) * 0.4) + 0.3 * n;
            return wave > 0.8 ? rgb(150, 200, 240) : rgb(40, 90, 190);
        }
        case 2: {  // stone wall: bricks with mortar
            const int row = y / 8, shift = (row % 2) * 8;
            if (y % 8 == 0 || (x + shift) % 16 == 0) return rgb(70, 70, 80);
            return n > 0.5 ? rgb(150, 150, 160) : rgb(130, 130, 140);
        }
        default:  // path: sand with pebbles
            return n > 0.93 ? rgb(120, 100, 70) : n > 0.4 ? rgb(210, 180, 120) : rgb(195, 165, 110);
    }
    (void)size;
}

bool fail(const std::string& source, int line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s\n", source.c_str(), line, message.c_str());
    return false;
}

bool read_source(const std::string& path, Sheet& sheet) {
    std::ifstream in(path);
    if (!in) return fail(path, 0, "cannot be read");
    std::map<char, uint32_t> colours{{'.', kKey}};
    std::string text;
    int line = 0, row = -1;
    while (std::getline(in, text)) {
        ++line;
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        std::string word;
        words >> word;
        if (word == "picture") {
            words >> sheet.file >> sheet.width >> sheet.height;
            if (sheet.width <= 0 || sheet.height <= 0) return fail(path, line, "bad frame size");
        } else if (word == "colour") {
            std::string letter, hex;
            words >> letter >> hex;
            if (letter.size() != 1 || hex.size() != 6) return fail(path, line, "colour wants a letter and RRGGBB");
            colours[letter[0]] = uint32_t(std::stoul(hex, nullptr, 16));
        } else if (word == "tiles") {
            int count = 0;
            words >> count;
            for (int k = 0; k < count; ++k)
                for (int y = 0; y < sheet.height; ++y)
                    for (int x = 0; x < sheet.width; ++x) sheet.pixels.push_back(tile_pixel(k, x, y, sheet.width));
            sheet.frames += count;
        } else if (word == "frame") {
            if (row >= 0 && row != sheet.height) return fail(path, line, "previous frame has the wrong height");
            sheet.pixels.resize(size_t(sheet.width) * sheet.height * size_t(sheet.frames + 1), kKey);
            ++sheet.frames;
            row = 0;
        } else if (row >= 0) {
            if (int(text.size()) > sheet.width || row >= sheet.height) return fail(path, line, "row outside the frame");
            for (size_t x = 0; x < text.size(); ++x) {
                auto c = colours.find(text[x]);
                if (c == colours.end()) return fail(path, line, std::string("unknown colour ") + text[x]);
                sheet.pixels[size_t(sheet.frames - 1) * sheet.width * sheet.height + size_t(row) * sheet.width + x] =
                    c->second;
            }
            ++row;
        } else {
            return fail(path, line, "unexpected line");
        }
    }
    if (sheet.file.empty() || sheet.frames == 0) return fail(path, line, "no picture or no frames");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: demo_sprites SOURCE... OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[argc - 1];
    for (int i = 1; i < argc - 1; ++i) {
        Sheet sheet;
        if (!read_source(argv[i], sheet)) return 1;
        BmpLayout layout;
        layout.width = sheet.width;
        layout.height = sheet.height * sheet.frames;
        layout.bits = 24;
        if (!save_bmp_file(out, sheet.file, layout, sheet.pixels)) return 1;
    }
    return 0;
}
