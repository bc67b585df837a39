#include "engine/ui/ui_button.h"

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/menu_font.h"

UiButton::UiButton(UiPage* owner, MenuFont* text_font, std::optional<std::u16string> text,
                   std::optional<std::u16string> button_command, std::optional<std::u16string> name)
    : UiControl(owner, kUiButton, std::move(name)),
      title(std::move(text)),
      font(text_font),
      command(std::move(button_command)) {}

void UiButton::draw_layout(SpriteGroup& group, int32_t& running_y) {
    IconTextPair pair;
    pair.centre = false;
    if (font) {
        font->set_frame(focused ? 0 : 1);
        pair.text = font->render(title.value_or(std::u16string()), group.size().width, 0, 0, 0);
    }
    if (icon) pair.icon = new Sprite(*icon);
    pair.lay_out(group, *this, running_y, icon ? icon->phase : 0);
}

int32_t UiButton::handle_event(int32_t event, int32_t param, std::u16string* out) {
    if (event == kMenuFocusQuery) return kMenuHandled;
    if ((event == kMenuKey && param == kKeyAction) || event == kMenuTap) {
        give_command(command, out);
        return kMenuCommand;
    }
    return kMenuNotHandled;
}
