#include "engine/ui/ui_select_line.h"

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/menu_font.h"

UiSelectLine::UiSelectLine(UiPage* owner, MenuFont* text_font, std::u16string text, int32_t line_value,
                           MenuVar* variable, std::u16string icon_name)
    : UiControl(owner, kUiChoice, std::nullopt),
      title(std::move(text)),
      font(text_font),
      value(line_value),
      cell(variable),
      image(std::move(icon_name)) {}

UiSelectLine::~UiSelectLine() { unload(); }

void UiSelectLine::load() {
    unload();
    icon = load_menu_sprite(image);
}

void UiSelectLine::unload() { drop_sprite(icon); }

void UiSelectLine::draw_layout(SpriteGroup& group, int32_t& running_y) {
    IconTextPair pair;
    if (font) {
        font->set_frame(focused ? 0 : 1);
        pair.text = font->render(title, group.size().width, 0, 0, 0);
    }
    if (icon) pair.icon = new Sprite(*icon);
    pair.lay_out(group, *this, running_y, cell_value(cell) == value ? 1 : 0);
}

int32_t UiSelectLine::handle_event(int32_t event, int32_t param, std::u16string*) {
    if (event == kMenuFocusQuery) return kMenuHandled;
    if ((event == kMenuKey && param == kKeyAction) || event == kMenuTap) {
        cell_write(cell, value);
        return kMenuHandled;
    }
    return kMenuNotHandled;
}
