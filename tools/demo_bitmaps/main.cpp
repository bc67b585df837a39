// demo_bitmaps LIST OUT_DIR CORPUS_DIR
//
// Draws each picture named in LIST (see data/bitmaps/pictures.txt) and writes
// it as an uncompressed BMP with a 40-byte header below OUT_DIR; every file
// is also copied into CORPUS_DIR as a fuzzing seed.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/bitmap_tools/bmp_file.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;  // magenta, the engine's colour key

struct Picture {
    std::string file;
    int32_t width = 0, height = 0;
    uint16_t bits = 24;
    std::string pattern;
};

uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

uint32_t mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int s) {
        return int(std::lround(double(a >> s & 255) * (1 - t) + double(b >> s & 255) * t));
    };
    return rgb(ch(16), ch(8), ch(0));
}

// A sky fading from violet to amber over two rows of dark hills.
uint32_t dusk(const Picture& p, int x, int y) {
    const double fy = double(y) / p.height;
    const double fx = double(x) / p.width;
    const double far_hill = 0.62 + 0.06 * std::sin(fx * 7.0 + 1.3);
    const double near_hill = 0.78 + 0.05 * std::sin(fx * 4.0 + 0.2) + 0.02 * std::sin(fx * 23.0);
    if (fy > near_hill) return mix(rgb(30, 22, 40), rgb(12, 8, 18), (fy - near_hill) * 3);
    if (fy > far_hill) return mix(rgb(70, 52, 90), rgb(44, 34, 60), (fy - far_hill) * 5);
    const double sun = std::hypot(x - 0.7 * p.width, y - 0.55 * p.height);
    if (sun < 0.08 * p.width) return rgb(255, 214, 120);
    return mix(rgb(58, 40, 110), rgb(250, 150, 80), std::pow(fy / far_hill, 1.6));
}

double distance_from_centre(const Picture& p, int x, int y) {
    return std::hypot(x - (p.width - 1) / 2.0, y - (p.height - 1) / 2.0);
}

uint32_t rings(const Picture& p, int x, int y) {
    const double d = distance_from_centre(p, x, y);
    const double radius = std::min(p.width, p.height) / 2.0;
    if (d > radius) return kKey;
    static const uint32_t bands[] = {rgb(240, 200, 60), rgb(200, 60, 40), rgb(60, 120, 200),
                                     rgb(40, 160, 90)};
    return bands[int(d / 3) % 4];
}

uint32_t checker(int x, int y) {
    return ((x / 4 + y / 4) % 2) ? rgb(232, 232, 210) : rgb(70, 90, 120);
}

// A warm disc whose opacity falls off toward its rim; outside it nothing shows.
uint32_t glow(const Picture& p, int x, int y) {
    const double t = std::min(1.0, distance_from_centre(p, x, y) / (p.width / 2.0));
    const uint32_t alpha = uint32_t(std::lround(255 * (1 - t)));
    return alpha << 24 | mix(rgb(255, 250, 200), rgb(255, 120, 40), t);
}

// A few stars, scattered by a hash of the pixel's place.
bool star(int x, int y) { return ((x * 7919 + y * 104729) ^ (x * y)) % 997 == 0; }

// The village's roofs against the sky: a row of gabled houses along the
// bottom, one with a lit window when `lit`.
bool roof(const Picture& p, int x, int y, bool* window) {
    const int base = p.height * 3 / 4;
    const int house = p.width / 4;
    const int cx = x % house - house / 2;
    const int top = base - house / 3 - (house / 2 - std::abs(cx)) / 2;
    *window = x / house == 1 && std::abs(cx) < 5 && y > base - 18 && y < base - 8;
    return y >= top;
}

// The night: a deep blue sky with stars and a crescent moon over the dark
// roofs, one window still lit.
uint32_t night(const Picture& p, int x, int y) {
    bool window = false;
    if (roof(p, x, y, &window)) return window ? rgb(250, 200, 90) : rgb(10, 10, 22);
    const double moon = std::hypot(x - 0.72 * p.width, y - 0.2 * p.height);
    const double bite = std::hypot(x - 0.75 * p.width, y - 0.18 * p.height);
    if (moon < 0.07 * p.width && bite >= 0.06 * p.width) return rgb(240, 236, 200);
    if (star(x, y)) return rgb(220, 220, 240);
    return mix(rgb(6, 8, 30), rgb(30, 40, 90), double(y) / p.height);
}

// The morning: the sun coming up behind the same roofs, the sky from pale
// blue to rose.
uint32_t dawn(const Picture& p, int x, int y) {
    bool window = false;
    if (roof(p, x, y, &window)) return rgb(70, 50, 60);
    const double sun = std::hypot(x - 0.35 * p.width, y - 0.7 * p.height);
    if (sun < 0.12 * p.width) return rgb(255, 230, 150);
    return mix(rgb(120, 170, 230), rgb(250, 170, 150), std::pow(double(y) / p.height, 1.4));
}

// A lantern lit in the dark: a warm glow round a small brass lantern.
uint32_t lantern(const Picture& p, int x, int y) {
    const int cx = p.width / 2, cy = p.height * 2 / 5;
    const int dx = x - cx, dy = y - cy;
    if (std::abs(dx) <= 2 && dy >= -42 && dy < -30) return rgb(150, 110, 40);   // the handle
    if (std::abs(dx) <= 14 && (dy == -30 || dy == 24)) return rgb(170, 130, 50);  // cap and base
    if (std::abs(dx) <= 12 && dy > -30 && dy < 24)
        return std::abs(dx) >= 11 || std::abs(dx) <= 1 ? rgb(150, 110, 40) : rgb(255, 220, 120);
    const double glow = std::max(0.0, 1.0 - std::hypot(dx, dy) / (0.5 * p.width));
    return mix(rgb(12, 10, 8), rgb(230, 150, 60), glow * glow);
}

uint32_t colour_at(const Picture& p, int x, int y) {
    if (p.pattern == "night") return night(p, x, y);
    if (p.pattern == "dawn") return dawn(p, x, y);
    if (p.pattern == "lantern") return lantern(p, x, y);
    if (p.pattern == "dusk") return dusk(p, x, y);
    if (p.pattern == "rings") return rings(p, x, y);
    if (p.pattern == "checker") return checker(x, y);
    return glow(p, x, y);
}

// Turns drawn colours into the file's values, building a palette for the
// paletted depths (the patterns use few colours).
bool encode(const Picture& p, std::vector<uint32_t>& values, BmpLayout& layout) {
    layout.width = p.width;
    layout.height = p.height;
    layout.bits = p.bits;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = colour_at(p, x, y);
            if (p.bits > 8) {
                const uint32_t c555 = (c >> 9 & 0x7C00) | (c >> 6 & 0x03E0) | (c >> 3 & 0x001F);
                values.push_back(p.bits == 16 ? c555 : p.bits == 24 ? (c & 0xFFFFFF) : c);
                continue;
            }
            size_t i = 0;
            while (i < layout.palette.size() && layout.palette[i] != c) ++i;
            if (i == layout.palette.size()) {
                if (i >= (size_t(1) << p.bits)) return false;
                layout.palette.push_back(c);
            }
            values.push_back(uint32_t(i));
        }
    }
    layout.colors_used = uint32_t(layout.palette.size());
    return true;
}

bool parse(const std::string& line, Picture& p) {
    std::istringstream in(line);
    int bits = 0;
    if (!(in >> p.file >> p.width >> p.height >> bits >> p.pattern)) return false;
    p.bits = uint16_t(bits);
    const bool known = p.pattern == "dusk" || p.pattern == "rings" || p.pattern == "checker" ||
                       p.pattern == "glow" || p.pattern == "night" || p.pattern == "dawn" || p.pattern == "lantern";
    return known && p.width > 0 && p.height > 0 &&
           (bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_bitmaps LIST OUT_DIR CORPUS_DIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    std::ifstream list(argv[1]);
    if (!list) {
        std::fprintf(stderr, "demo_bitmaps: cannot read %s\n", argv[1]);
        return 1;
    }
    fs::create_directories(argv[3]);
    std::string line;
    for (int number = 1; std::getline(list, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        Picture p;
        std::vector<uint32_t> values;
        BmpLayout layout;
        if (!parse(line, p) || !encode(p, values, layout)) {
            std::fprintf(stderr, "%s:%d: bad picture line: %s\n", argv[1], number, line.c_str());
            return 1;
        }
        if (!save_bmp_file(argv[2], p.file, layout, values)) return 1;
        const fs::path out = fs::path(argv[2]) / p.file;
        fs::copy_file(out, fs::path(argv[3]) / out.filename(), fs::copy_options::overwrite_existing);
    }
    return 0;
}
