#include "engine/ui/ui_selection.h"

#include <algorithm>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/menu_font.h"

UiSelection::UiSelection(UiPage* owner, MenuFont* text_font, std::u16string text, MenuVar* variable)
    : UiControl(owner, kUiChoice, std::nullopt), title(std::move(text)), font(text_font), cell(variable) {}

void UiSelection::add_option(std::u16string text, std::optional<std::u16string> image, int32_t value,
                             int32_t next_bitmap) {
    options.push_back({next_bitmap, std::move(text), std::move(image), value});
}

void UiSelection::draw_layout(SpriteGroup& group, int32_t& running_y) {
    for (size_t i = 0; i < options.size(); ++i) {
        if (options[i].value == cell_value(cell)) {
            chosen = int32_t(i);
            break;
        }
    }
    running_y += top_margin;
    Sprite* title_sprite = nullptr;
    Sprite* option_sprite = nullptr;
    if (font) {
        font->set_frame(focused ? 0 : 1);
        title_sprite = font->render(title, group.size().width, 0, 0, 0);
        if (!options.empty() && chosen >= 0 && size_t(chosen) < options.size())
            option_sprite = font->render(options[size_t(chosen)].title, group.size().width, 0, 0, 0);
    }
    int32_t title_w = title_sprite ? title_sprite->frame_width : 0;
    int32_t title_h = title_sprite ? title_sprite->frame_height : 0;
    int32_t option_w = option_sprite ? option_sprite->frame_width : 0;
    int32_t option_h = option_sprite ? option_sprite->frame_height : 0;
    int32_t line = std::max(title_h, option_h);
    screen_x = left_margin;
    screen_y = running_y;
    width = option_sprite ? title_w + 10 + option_w : title_w;
    height = line;
    if (title_sprite) group.add_sprite(title_sprite, screen_x, running_y + (line - title_h) / 2, z, 0, 0, 0);
    if (option_sprite)
        group.add_sprite(option_sprite, screen_x + title_w + 10, running_y + (line - option_h) / 2, z, 0, 0, 0);
    running_y += line + bottom_margin;
}

int32_t UiSelection::handle_event(int32_t event, int32_t param, std::u16string* out) {
    if (event == kMenuFocusQuery) return kMenuHandled;
    if (options.empty()) return kMenuNotHandled;
    int32_t count = int32_t(options.size());
    int32_t current = std::clamp(chosen, 0, count - 1);
    if (event == kMenuKey && param == kKeyRight)
        chosen = (current + 1) % count;
    else if ((event == kMenuKey && param == kKeyLeft) || event == kMenuTap)
        chosen = (current + count - 1) % count;
    else
        return kMenuNotHandled;
    const UiOption& option = options[size_t(chosen)];
    cell_write(cell, option.value);
    if (option.next_bitmap == 0) return kMenuHandled;
    if (out) *out = option.image.value_or(std::u16string());
    return kMenuPassText;
}
