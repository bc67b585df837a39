#include "engine/ui/menu_font.h"

#include <algorithm>

#include "engine/graphics/sprite.h"

#if __has_include("engine/graphics/font.h")
#include "engine/graphics/font.h"
#define MENU_FONT_HAS_FONT 1
#else
// Until the font library is in: a Font stand-in that sizes texts by a fixed
// cell so layouts and hit tests behave, and draws nothing.
class Font {
public:
    static constexpr int32_t kCellWidth = 6, kCellHeight = 10;
};
#define MENU_FONT_HAS_FONT 0
#endif

MenuFont::MenuFont(std::u16string_view name) : name_(name), font_(std::make_unique<Font>()) {
#if MENU_FONT_HAS_FONT
    font_->load(name_);
#endif
}

MenuFont::~MenuFont() = default;

void MenuFont::set_frame(int32_t frame) { frame_ = frame; }

Sprite* MenuFont::render(std::u16string_view text, int32_t max_width, int32_t colourise, uint32_t colour,
                         int32_t align) {
#if MENU_FONT_HAS_FONT
    if (font_->glyph_sprite) font_->glyph_sprite->set_phase(frame_);
    std::u16string copy(text);
    return font_->render_text(copy.c_str(), std::max(max_width, 1), colourise, colour, 0, align, -1);
#else
    (void)colourise;
    (void)colour;
    (void)align;
    int32_t lines = 1, longest = 0, current = 0;
    for (char16_t c : text) {
        if (c == u'\n') {
            ++lines;
            current = 0;
        } else {
            longest = std::max(longest, ++current);
        }
    }
    auto* sprite = new Sprite;
    int32_t width = std::min(std::max(longest * Font::kCellWidth, 1), std::max(max_width, 1));
    sprite->create_blank(width, lines * Font::kCellHeight);
    return sprite;
#endif
}
