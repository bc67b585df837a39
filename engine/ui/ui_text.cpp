#include "engine/ui/ui_text.h"

#include <algorithm>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_font.h"

UiText::UiText(UiPage* owner, MenuFont* text_font, std::u16string text, std::optional<std::u16string> name)
    : UiControl(owner, kUiText, std::move(name)), title(std::move(text)), font(text_font) {}

void UiText::draw_layout(SpriteGroup& group, int32_t& running_y) {
    // A text placed at or past the right edge still gets a width to wrap in.
    const int32_t max_width = std::max(width_attr != -1 ? width_attr : group.size().width - x_attr - 4, 1);
    int32_t text_align = align == kUiJustify ? 2 : align == kUiCenter ? 1 : 0;
    Sprite* sprite = nullptr;
    if (font) {
        font->set_frame(0);
        sprite = font->render(title, max_width, color_mode != 0, color, text_align);
    }
    width = sprite ? sprite->frame_width : 0;
    height = sprite ? sprite->frame_height : 0;
    layout(group.size(), running_y);
    if (sprite) group.add_sprite(sprite, screen_x, screen_y, z, 0, 0, 0);
}
