#include "engine/ui/ui_empty.h"

#include "engine/ui/menu_event.h"

UiEmpty::UiEmpty(UiPage* owner, std::optional<std::u16string> empty_command)
    : UiControl(owner, kUiEmpty, std::nullopt), command(std::move(empty_command)) {}

// Uses WIDTH, HEIGHT and X as they stand: no alignment, no margins.
void UiEmpty::draw_layout(SpriteGroup&, int32_t& running_y) {
    width = width_attr;
    height = height_attr;
    screen_x = x_attr;
    screen_y = running_y;
    if (!no_height) running_y += height_attr;
}

int32_t UiEmpty::handle_event(int32_t event, int32_t, std::u16string* out) {
    if (!command) return kMenuNotHandled;
    if (event == kMenuFocusQuery) return kMenuHandled;
    if (event == kMenuTap) {
        give_command(command, out);
        return kMenuCommand;
    }
    return kMenuNotHandled;
}
