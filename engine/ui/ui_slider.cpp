#include "engine/ui/ui_slider.h"

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_page.h"

UiSlider::UiSlider(UiPage* owner, MenuFont* text_font, std::optional<std::u16string> spr,
                   std::optional<std::u16string> slider_command, std::optional<std::u16string> name,
                   MenuVar* variable, std::optional<std::u16string> focus)
    : UiControl(owner, kUiSlider, std::move(name)),
      sprite_name(std::move(spr)),
      focus_name(std::move(focus)),
      font(text_font),
      command(std::move(slider_command)),
      cell(variable) {}

UiSlider::~UiSlider() { unload(); }

void UiSlider::load() {
    unload();
    if (sprite_name) steps = load_menu_sprite(*sprite_name);
    if (focus_name) focus_sprite = load_menu_sprite(*focus_name);
}

void UiSlider::unload() {
    drop_sprite(steps);
    drop_sprite(focus_sprite);
}

int32_t UiSlider::step_count() const {
    if (!steps || !steps->bitmap() || steps->frame_height <= 0) return 1;
    return std::max(steps->bitmap()->height / steps->frame_height, 1);
}

void UiSlider::draw_layout(SpriteGroup& group, int32_t& running_y) {
    Sprite* shown = steps ? new Sprite(*steps) : nullptr;
    width = shown ? shown->frame_width : 0;
    height = shown ? shown->frame_height : 0;
    layout(group.size(), running_y);
    add_control_sprite(group, shown, screen_x, screen_y, z, cell_value(cell));
    if (focused && focus_sprite) group.add_sprite(new Sprite(*focus_sprite), screen_x, screen_y, z, 0, 0, 0);
}

int32_t UiSlider::handle_event(int32_t event, int32_t param, std::u16string* out) {
    if (!command) return kMenuNotHandled;
    if (event == kMenuFocusQuery) return kMenuHandled;
    const int32_t n = step_count();
    const int32_t current = cell_value(cell);
    int32_t next;
    if (event == kMenuKey && (param == kKeyAction || param == kKeyRight)) {
        next = int32_t((int64_t(current) + 1) % n);
        if (next < 0) next += n;
    } else if (event == kMenuKey && param == kKeyLeft) {
        next = current <= 0 ? n - 1 : current - 1;
    } else if (event == kMenuTap) {
        if (width <= 0) return kMenuNotHandled;
        int64_t scaled = int64_t(n) * (int64_t(point_x(param)) - screen_x);
        int64_t step = scaled / width - (scaled % width != 0 && scaled < 0 ? 1 : 0);
        next = int32_t(step);
    } else {
        return kMenuNotHandled;
    }
    page->notify_var(cell, next);
    last_step = next;
    give_command(command, out);
    return kMenuCommand;
}
