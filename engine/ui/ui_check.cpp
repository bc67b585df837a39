#include "engine/ui/ui_check.h"

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/menu_font.h"
#include "engine/ui/ui_page.h"

UiCheck::UiCheck(UiPage* owner, MenuFont* text_font, std::u16string text, MenuVar* variable, std::u16string icon_name,
                 int32_t radio_value, std::optional<std::u16string> check_command, int32_t states,
                 std::optional<std::u16string> name, std::optional<std::u16string> focus)
    : UiControl(owner, kUiCheck, std::move(name)),
      title(std::move(text)),
      focus_name(std::move(focus)),
      font(text_font),
      cell(variable),
      image(std::move(icon_name)),
      value(radio_value),
      command(std::move(check_command)),
      state_count(states) {}

UiCheck::~UiCheck() { unload(); }

void UiCheck::load() {
    unload();
    icon = load_menu_sprite(image);
    if (focus_name) focus_sprite = load_menu_sprite(*focus_name);
}

void UiCheck::unload() {
    drop_sprite(icon);
    drop_sprite(focus_sprite);
}

int32_t UiCheck::icon_frame() const {
    int32_t current = cell_value(cell);
    if (state_count != -1) return current;
    if (value != -1) return current == value ? 1 : 0;
    return current != 0 ? 1 : 0;
}

int32_t UiCheck::next_value() const {
    int32_t current = cell_value(cell);
    if (state_count != -1) return current == INT32_MAX || current + 1 >= state_count ? 0 : current + 1;
    if (value != -1) return value;
    return current != 0 ? 0 : 1;
}

void UiCheck::draw_layout(SpriteGroup& group, int32_t& running_y) {
    IconTextPair pair;
    if (font && !title.empty()) {
        font->set_frame(focused ? 1 : 0);
        pair.text = font->render(title, group.size().width, 0, 0, 0);
    }
    if (icon) pair.icon = new Sprite(*icon);
    pair.lay_out(group, *this, running_y, icon_frame());
    if (focused && focus_sprite && pair.icon)
        group.add_sprite(new Sprite(*focus_sprite), pair.icon->x, pair.icon->y, z, 0, 0, 0);
}

int32_t UiCheck::handle_event(int32_t event, int32_t param, std::u16string* out) {
    if (event == kMenuFocusQuery) return kMenuHandled;
    bool press = event == kMenuTap ||
                 (event == kMenuKey && (param == kKeyLeft || param == kKeyRight || param == kKeyAction));
    if (!press) return kMenuNotHandled;
    page->notify_var(cell, next_value());
    if (!command) return kMenuHandled;
    give_command(command, out);
    return kMenuCommand;
}
