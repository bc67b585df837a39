// Rendering text with a Font: a layout pass that finds the line breaks and
// sizes, then a drawing pass that copies glyph pixels into a new picture,
// and an optional outline.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_def.h"

namespace {

struct TextLine {
    size_t begin = 0, end = 0;  // characters [begin, end)
    int32_t width = 0;
    int32_t spaces = 0;      // spaces the justified layout may stretch
};

struct TextLayout {
    std::vector<TextLine> lines;
    int32_t longest = 0;
};

struct TextColors {
    uint16_t text = 0;
    uint16_t contrast = 0;
    bool colourise = false;
};

TextColors choose_colors(const Font& font, int32_t colourise, uint32_t colour) {
    const uint32_t r = colour & 0xFF, g = colour >> 8 & 0xFF, b = colour >> 16 & 0xFF;
    TextColors colors;
    colors.text = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    colors.colourise = colourise != 0;
    if (font.do_color) {
        colors.text = uint16_t(font.color);
        colors.colourise = true;
    }
    const uint32_t brightness = (5 * r + 10 * g + 4 * b) / 19;
    if (brightness >= 52)
        colors.contrast = uint16_t((r >> 6) << 11 | (g >> 5) << 5 | b >> 6);
    else
        colors.contrast = uint16_t(0xE000 | (r >> 6) << 11 | 0x700 | (g >> 5) << 5 | 0x1C | b >> 6);
    return colors;
}

// Breaks the text into lines no wider than max_width. A line that would
// reach the maximum ends at its last space, which becomes "\r" in the text
// (and the layout starts over); a line without a space ends before the
// character. Every line takes at least one character, so this always ends.
TextLayout lay_out(const Font& font, std::u16string& text, int32_t max_width, int32_t line_start) {
    for (;;) {
        TextLayout layout;
        TextLine line{0, 0, line_start, 0};
        size_t last_space = std::u16string::npos;
        bool restart = false;
        auto end_line = [&](size_t end, bool stretchable) {
            line.end = end;
            if (!stretchable) line.spaces = 0;
            layout.longest = std::max(layout.longest, line.width);
            layout.lines.push_back(line);
            line = TextLine{end, end, line_start, 0};
            last_space = std::u16string::npos;
        };
        size_t i = 0;
        while (i < text.size() && int32_t(layout.lines.size()) < Font::kMaxLines) {
            const char16_t c = text[i];
            if (c == u'\n' || c == u'\r') {
                end_line(i, c == u'\r');
                line.begin = line.end = ++i;
                continue;
            }
            const int32_t step = font.advance(c);
            if (line.width + step >= max_width && i > line.begin) {
                if (last_space != std::u16string::npos) {
                    text[last_space] = u'\r';
                    restart = true;
                    break;
                }
                end_line(i, false);
                continue;  // the character begins the next line
            }
            line.width += step;
            if (c == u' ') {
                ++line.spaces;
                last_space = i;
            }
            ++i;
        }
        if (restart) continue;
        if (int32_t(layout.lines.size()) < Font::kMaxLines) end_line(std::min(i, text.size()), false);
        return layout;
    }
}

// Copies one glyph's pixels to x, y of the picture, clipped to it.
void draw_glyph(const Font& font, uint32_t glyph, Bitmap& out, int32_t x, int32_t y, const TextColors& colors) {
    const Sprite& strip_sprite = *font.glyph_sprite;
    const Bitmap& strip = *strip_sprite.bitmap();
    const int32_t start = int32_t(glyph >> 16), end = int32_t(glyph & 0xFFFF);
    const bool copy_alpha = font.mode == kFontAlpha && out.has_alpha();
    for (int32_t row = 0; row < strip_sprite.frame_height; ++row) {
        const int32_t oy = y + row;
        if (oy < 0 || oy >= out.height) continue;
        const size_t src_row = size_t(strip_sprite.frame_offset) + size_t(row) * size_t(strip.width);
        for (int32_t column = start; column < end && column < strip.width; ++column) {
            const int32_t ox = x + column - start;
            if (ox < 0 || ox >= out.width) continue;
            const uint16_t p = strip.pixels[src_row + size_t(column)];
            const size_t at = out.index(ox, oy);
            if (p != font.key_color) out.pixels[at] = colors.colourise ? colors.text : p;
            if (copy_alpha)
                out.alpha[at] = strip.has_alpha() ? strip.alpha[src_row + size_t(column)]
                                                  : (p != font.key_color ? kOpaque : 0);
        }
    }
}

}  // namespace

Sprite* Font::render_text(char16_t* text, int32_t max_width, int32_t colourise, uint32_t colour,
                          int32_t style, int32_t align, int32_t line_gap, int32_t in_place) {
    std::u16string work;
    if (text)
        for (const char16_t* p = text; *p; ++p) work.push_back(*p);
    if (!glyph_sprite || !glyph_sprite->bitmap()) {
        auto* empty = new Sprite;
        empty->create_blank(1, 1);
        return empty;
    }

    const TextColors colors = choose_colors(*this, colourise, colour);
    const int32_t margin = style != kTextPlain ? 2 : 0;
    const int32_t line_height = std::max(1, glyph_height() + (line_gap == -1 ? 0 : line_gap));
    const TextLayout layout = lay_out(*this, work, max_width, margin);
    if (in_place && text) std::copy(work.begin(), work.end(), text);

    int32_t width = layout.longest + 2;
    if (align == kAlignJustify) width = std::max(max_width, layout.longest) + 1 + 2;
    width += 2 * margin;
    const int32_t height = int32_t(layout.lines.size()) * line_height + 2 * margin;
    auto* picture = new Bitmap(std::max(width, 1), std::max(height, 1), mode == kFontAlpha);
    const uint16_t background = mode == kFontLights ? 0 : mode == kFontMagenta ? kColorKey : uint16_t(key_color);
    std::fill(picture->pixels.begin(), picture->pixels.end(), background);

    int32_t y = margin;
    for (const TextLine& line : layout.lines) {
        int32_t x = (align == kAlignCenter ? (layout.longest + 2 * margin - line.width) / 2 : 0) + margin;
        const bool stretch = align == kAlignJustify && line.spaces > 0 && max_width > line.width;
        const int32_t extra_hundredths = stretch ? (max_width - line.width) * 100 / line.spaces : 0;
        int32_t carry = 0;
        for (size_t i = line.begin; i < line.end; ++i) {
            const char16_t c = work[i];
            if (c == u' ') {
                carry += extra_hundredths;
                x += advance(c) + carry / 100;
                carry %= 100;
                continue;
            }
            const uint32_t glyph = glyphs[c & 0xFF];
            if (glyph) draw_glyph(*this, glyph, *picture, x, y, colors);
            x += advance(c);
        }
        y += line_height;
    }

    if (style >= kTextBlackOutline && style <= kTextContrastOutline) {
        const uint16_t outline = style == kTextBlackOutline ? 0 : style == kTextWhiteOutline ? 0xFFFF : colors.contrast;
        picture->add_outline(outline);
        picture->add_outline(outline);
    }

    g_bitmap_cache->add_unnamed(picture);
    auto* sprite = new Sprite;
    sprite->set_bitmap(picture);
    g_bitmap_cache->release(picture);  // the sprite's definition holds the only use
    sprite->flags = glyph_sprite->flags;
    sprite->def->default_flags = glyph_sprite->flags;
    return sprite;
}

Sprite* Font::render_text(const char16_t* text, int32_t max_width, int32_t colourise, uint32_t colour,
                          int32_t style, int32_t align, int32_t line_gap) {
    return render_text(const_cast<char16_t*>(text), max_width, colourise, colour, style, align, line_gap, 0);
}

Sprite* Font::render_text_ascii(char* text, int32_t max_width, int32_t colourise, uint32_t colour,
                                int32_t style, int32_t align, int32_t line_gap, int32_t in_place) {
    std::u16string wide = narrow_to_wide_signed(text ? text : "");
    Sprite* sprite = render_text(wide.data(), max_width, colourise, colour, style, align, line_gap, 1);
    if (in_place && text)
        for (size_t i = 0; i < wide.size(); ++i) text[i] = char(wide[i] & 0xFF);
    return sprite;
}
