// A bitmap font: a strip of glyphs side by side in one picture, separated by
// columns of the key colour, with a text file naming the glyphs in strip
// order. Text is not drawn glyph by glyph on the screen: render_text lays a
// whole text out (word wrap, alignment, line spacing), draws it into a new
// picture and hands back a new sprite over it, which the caller puts into a
// SpriteGroup.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/memory_pool.h"
#include "engine/core/ptr_array.h"

class Sprite;

// Backgrounds of rendered text, as the ".fnt" file's "Mode" names them.
enum FontMode : int32_t {
    kFontNormal = 1,   // key colour, drawn with the colour key
    kFontLights = 2,   // black, drawn lightening
    kFontMagenta = 3,  // magenta key
    kFontAlpha = 4,    // key colour with a fully transparent alpha plane
};

// Outline styles of render_text.
enum TextStyle : int32_t { kTextPlain = 0, kTextBlackOutline = 1, kTextWhiteOutline = 2, kTextContrastOutline = 3 };
enum TextAlign : int32_t { kAlignLeft = 0, kAlignCenter = 1, kAlignJustify = 2 };

class Font : public PoolObject {
public:
    // Lines one text may hold; the rest of a longer text is dropped.
    static constexpr int32_t kMaxLines = 256;

    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Start column << 16 | end column (exclusive) per 8-bit code; 0: none.
    uint32_t glyphs[256] = {};
    uint32_t key_color = 0;
    int32_t mode = 0;
    int32_t do_color = 0;
    int32_t color = 0;  // RGB565, used with do_color
    Sprite* glyph_sprite = nullptr;
    int32_t char_dist = 0;

    // Reads "fonts/<name>.fnt", its "Chars" list and its glyph strip. A
    // missing ".fnt" or an empty or unreadable "Chars" is a fatal failure.
    // 1 when every listed character got a glyph, 0 when the strip ran out.
    int32_t load(std::u16string_view name);
    // Loads the strip and finds the glyph of each listed character.
    int32_t scan_glyphs(std::u16string_view sprite_name, std::string_view chars);
    void release();

    int32_t glyph_height() const;
    // Pixels a character moves the pen (never negative).
    int32_t advance(char16_t c) const;

    // Lays out and draws a NUL-terminated text (null reads as empty) into a
    // new sprite. colour is 0xBBGGRR. With in_place non-zero the line breaks
    // the layout chooses are written into the caller's text as "\r".
    Sprite* render_text(char16_t* text, int32_t max_width, int32_t colourise, uint32_t colour,
                        int32_t style, int32_t align, int32_t line_gap, int32_t in_place);
    Sprite* render_text(const char16_t* text, int32_t max_width, int32_t colourise, uint32_t colour,
                        int32_t style, int32_t align, int32_t line_gap);
    // The same for 8-bit text: bytes widen as signed chars.
    Sprite* render_text_ascii(char* text, int32_t max_width, int32_t colourise, uint32_t colour,
                              int32_t style, int32_t align, int32_t line_gap, int32_t in_place);
};

// Releases and frees every font of the list.
void delete_fonts(PtrArray<Font>& fonts);
