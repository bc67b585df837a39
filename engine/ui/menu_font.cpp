#include "engine/ui/menu_font.h"

#include "engine/graphics/sprite.h"
#include "engine/pictures/font.h"

MenuFont::MenuFont(std::u16string_view name) : name_(name), font_(std::make_unique<Font>()) { font_->load(name_); }

MenuFont::~MenuFont() = default;

void MenuFont::set_frame(int32_t frame) { frame_ = frame; }

Sprite* MenuFont::render(std::u16string_view text, int32_t max_width, int32_t colourise, uint32_t colour,
                         int32_t align) {
    if (!font_->glyph_sprite) return nullptr;
    font_->glyph_sprite->set_phase(frame_);
    std::u16string copy(text);
    return font_->render_text(copy.c_str(), max_width, colourise, colour, 0, align, -1);
}
