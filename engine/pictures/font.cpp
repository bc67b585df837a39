// Loading a font: the ".fnt" key file, the list of glyph characters and the
// scan of the glyph strip for separator columns.
#include "engine/pictures/font.h"

#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/resource_cache.h"

namespace {

IniSymbol g_font_symbols[] = {
    {"NORMAL", kFontNormal, 0xFFFFFFFF},
    {"LIGHTS", kFontLights, 0xFFFFFFFF},
    {"MAGENTA", kFontMagenta, 0xFFFFFFFF},
    {"ALPHA", kFontAlpha, 0xFFFFFFFF},
    {nullptr, 0, 0},
};

// The whole "Chars" file as bytes; empty when it cannot be read.
std::string read_chars_file(std::u16string_view name) {
    if (name.empty()) return {};
    const std::optional<std::vector<uint8_t>> bytes = read_game_file(name);
    return bytes ? std::string(as_text(*bytes)) : std::string();
}

}  // namespace

Font::~Font() { release(); }

void Font::release() {
    delete glyph_sprite;
    glyph_sprite = nullptr;
}

int32_t Font::glyph_height() const { return glyph_sprite ? glyph_sprite->frame_height : 0; }

int32_t Font::advance(char16_t c) const {
    const uint32_t glyph = glyphs[c & 0xFF];
    const int32_t width = int32_t(glyph & 0xFFFF) - int32_t(glyph >> 16);
    const int32_t step = (glyph ? width : 0) + char_dist;
    return step > 0 ? step : 0;
}

int32_t Font::load(std::u16string_view name) {
    release();
    const std::u16string path = u"fonts/" + std::u16string(name) + u".fnt";
    IniFile ini;
    ini.set_symbol_table(g_font_symbols);
    if (!ini.load(path)) {
        report_resource_failure(path, "");
        return 0;
    }
    const char* chars_name = ini.get_string("", "Chars", nullptr);
    const std::string chars = read_chars_file(narrow_to_wide_signed(chars_name));
    if (chars.empty()) {
        report_resource_failure(*chars_name ? narrow_to_wide_signed(chars_name) : path, "no glyph characters");
        return 0;
    }
    mode = ini.get_int(0, "Mode", nullptr);
    do_color = ini.get_int(0, "DoColor", nullptr);
    color = ini.get_int(0, "Color", nullptr);
    char_dist = ini.get_int(0, "CharDist", nullptr);
    return scan_glyphs(narrow_to_wide_signed(ini.get_string("", "Sprite", nullptr)), chars);
}

int32_t Font::scan_glyphs(std::u16string_view sprite_name, std::string_view chars) {
    release();
    for (uint32_t& glyph : glyphs) glyph = 0;
    glyph_sprite = new Sprite;
    if (!glyph_sprite->load(sprite_name, 1) || !glyph_sprite->bitmap()) return 0;
    const Bitmap& strip = *glyph_sprite->bitmap();
    if (strip.pixels.empty()) return 0;
    key_color = strip.pixels[0];

    const int32_t width = glyph_sprite->frame_width;
    const int32_t height = glyph_sprite->frame_height;
    if (width < 2) return 0;
    const size_t frame = size_t(glyph_sprite->frame_offset);
    auto is_separator = [&](int32_t column) {
        for (int32_t row = 0; row < height; ++row)
            if (strip.pixels[frame + size_t(row) * size_t(strip.width) + size_t(column)] != key_color) return false;
        return true;
    };

    // A strip that starts with a glyph column has its first glyph start at
    // column 0; a leading separator column belongs to no glyph.
    size_t next = 0;
    bool seen_glyph_column = !is_separator(0);
    int32_t previous = seen_glyph_column ? -1 : 0;
    for (int32_t column = 1; column < width; ++column) {
        if (!is_separator(column)) {
            seen_glyph_column = true;
            continue;
        }
        if (previous != column - 1 && seen_glyph_column) {
            const uint8_t c = uint8_t(chars[next]);
            const uint32_t entry = uint32_t(previous + 1) << 16 | uint32_t(column);
            glyphs[c] = entry;
            if (c == 'e' || c == '1') glyphs[uint8_t(' ')] = entry;
            if (++next == chars.size()) return 1;
        }
        previous = column;
    }
    return 0;
}

void delete_fonts(PtrArray<Font>& fonts) {
    for (int32_t i = 0; i < fonts.count(); ++i)
        if (fonts[i]) fonts[i]->release();
    fonts.delete_all();
}
