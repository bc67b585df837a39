// demo_fonts GLYPHS FONT_LIST OUT_DIR
//
// Builds bitmap fonts from the glyph shapes in GLYPHS (see data/fonts/
// glyphs.txt) for every font FONT_LIST names: below OUT_DIR/fonts it writes
// the glyph strip "<name>.bmp" (magenta key, a key column before, between and
// after the glyphs, looks stacked top to bottom), its "<name>.spr", the
// character list "<name>.txt" and the font file "<name>.fnt".
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bitmap_tools/canvas.h"
#include "tools/bitmap_tools/glyph_text.h"

namespace {

struct Look {
    uint32_t ink = 0xFFFFFF;
    int32_t shade = -1;  // -1: no shadow
};

struct FontSpec {
    std::string name;
    int scale = 1;
    std::string mode = "NORMAL";
    int dist = 0;
    std::vector<Look> looks{Look{}};
    int32_t do_color = -1;  // RRGGBB, -1 when off
};

bool fail(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "demo_fonts: %s: %s\n", where.c_str(), message.c_str());
    return false;
}

uint32_t parse_color(const std::string& text) { return uint32_t(std::stoul(text, nullptr, 16)) & 0xFFFFFF; }

bool read_fonts(const std::string& path, std::vector<FontSpec>& fonts) {
    std::ifstream in(path);
    if (!in) return fail(path, "cannot read");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == ';') continue;
        const std::string where = path + ":" + std::to_string(number);
        FontSpec font;
        if (keyword != "font" || !(words >> font.name)) return fail(where, "expected: font NAME settings...");
        try {
            for (std::string setting; words >> setting;) {
                const size_t eq = setting.find('=');
                if (eq == std::string::npos) return fail(where, "setting without '=': " + setting);
                const std::string key = setting.substr(0, eq), value = setting.substr(eq + 1);
                if (key == "scale") font.scale = std::stoi(value);
                else if (key == "mode") font.mode = value;
                else if (key == "dist") font.dist = std::stoi(value);
                else if (key == "ink") font.looks[0].ink = parse_color(value);
                else if (key == "shade") font.looks[0].shade = int32_t(parse_color(value));
                else if (key == "docolor") font.do_color = int32_t(parse_color(value));
                else if (key == "look2") {
                    const size_t slash = value.find('/');
                    Look look{parse_color(value.substr(0, slash)), -1};
                    if (slash != std::string::npos) look.shade = int32_t(parse_color(value.substr(slash + 1)));
                    font.looks.push_back(look);
                } else return fail(where, "unknown setting " + key);
            }
        } catch (const std::exception&) {
            return fail(where, "bad number");
        }
        if (font.scale < 1 || font.scale > 4) return fail(where, "scale is 1..4");
        if (font.mode != "NORMAL" && font.mode != "LIGHTS" && font.mode != "MAGENTA" && font.mode != "ALPHA")
            return fail(where, "unknown mode " + font.mode);
        fonts.push_back(font);
    }
    return true;
}

bool has_shade(const FontSpec& font) {
    for (const Look& look : font.looks)
        if (look.shade >= 0) return true;
    return false;
}

// The strip of one font: every look drawn over the same columns. The
// background of an alpha font is see-through by its alpha too.
Canvas draw_strip(const FontSpec& font, const std::vector<Glyph>& glyphs, int& frame_height) {
    const int s = font.scale, shadow = has_shade(font) ? 1 : 0;
    frame_height = 8 * s + shadow;
    int width = 1;
    for (const Glyph& glyph : glyphs) width += glyph.width() * s + shadow + 1;
    const int height = frame_height * int(font.looks.size());
    Canvas strip(width, height, font.mode == "ALPHA" ? kKeyColour & 0x00FFFFFFu : kKeyColour);
    auto put = [&](int x, int y, uint32_t rgb) { strip.put(x, y, 0xFF000000u | rgb); };
    for (size_t l = 0; l < font.looks.size(); ++l) {
        const Look& look = font.looks[l];
        const int top = int(l) * frame_height;
        int left = 1;
        for (const Glyph& glyph : glyphs) {
            for (int pass = 0; pass < 2; ++pass) {
                if (pass == 0 && look.shade < 0) continue;
                const int offset = pass == 0 ? 1 : 0;
                const uint32_t rgb = pass == 0 ? uint32_t(look.shade) : look.ink;
                for (int row = 0; row < 8; ++row)
                    for (int column = 0; column < glyph.width(); ++column)
                        if (glyph.rows[size_t(row)][size_t(column)] == '#')
                            for (int dy = 0; dy < s; ++dy)
                                for (int dx = 0; dx < s; ++dx)
                                    put(left + column * s + dx + offset, top + row * s + dy + offset, rgb);
            }
            left += glyph.width() * s + shadow + 1;
        }
    }
    return strip;
}

bool write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out) || fail(path.string(), "cannot write");
}

bool write_font(const FontSpec& font, const std::vector<Glyph>& glyphs, const std::filesystem::path& dir) {
    int frame_height = 0;
    const Canvas strip = draw_strip(font, glyphs, frame_height);
    const bool written = font.mode == "ALPHA" ? write_canvas_with_alpha(dir, font.name + ".bmp", strip)
                                              : write_canvas(dir, font.name + ".bmp", strip);
    if (!written) return false;

    const char* flags = font.mode == "ALPHA" ? "ALPHA_PIXEL" : font.mode == "LIGHTS" ? "BLT_LIGHTEN" : "TRANS_COLOR";
    std::string spr = "; Glyph strip of the font " + font.name + " (made by demo_fonts).\n";
    spr += "DefFlags = " + std::string(flags) + "\nDefPhase = 0\n";
    spr += "Stripes = " + std::to_string(frame_height) + "\n";
    spr += "bmp = \"fonts/" + font.name + ".bmp\"\n";
    if (!write_file(dir / (font.name + ".spr"), spr)) return false;

    std::string chars;
    for (const Glyph& glyph : glyphs) chars += glyph.character;
    if (!write_file(dir / (font.name + ".txt"), chars)) return false;  // no final newline

    std::string fnt = "; The font " + font.name + " (made by demo_fonts).\n";
    fnt += "Sprite = \"fonts/" + font.name + ".spr\"\n";
    fnt += "Chars = \"fonts/" + font.name + ".txt\"\n";
    fnt += "Mode = " + font.mode + "\n";
    fnt += "CharDist = " + std::to_string(font.dist) + "\n";
    if (font.do_color >= 0) {
        const uint32_t c = uint32_t(font.do_color);
        const uint32_t rgb565 = (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F);
        fnt += "DoColor = 1\nColor = " + std::to_string(rgb565) + "\n";
    }
    return write_file(dir / (font.name + ".fnt"), fnt);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_fonts GLYPHS FONT_LIST OUT_DIR\n");
        return 2;
    }
    std::vector<Glyph> glyphs;
    std::vector<FontSpec> fonts;
    if (!read_glyphs(argv[1], glyphs) || !read_fonts(argv[2], fonts)) return 1;
    const std::filesystem::path dir = std::filesystem::path(argv[3]) / "fonts";
    std::filesystem::create_directories(dir);
    for (const FontSpec& font : fonts)
        if (!write_font(font, glyphs, dir)) return 1;
    return 0;
}
