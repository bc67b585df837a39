#include "engine/ui/ui_bitmap.h"

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"

UiBitmap::UiBitmap(UiPage* owner, std::optional<std::u16string> image_name, std::optional<std::u16string> spr,
                   std::optional<std::u16string> bitmap_command, MenuVar* phase, std::optional<std::u16string> name)
    : UiControl(owner, kUiBitmap, std::move(name)),
      image(std::move(image_name)),
      sprite_name(std::move(spr)),
      command(std::move(bitmap_command)),
      phase_cell(phase) {}

UiBitmap::~UiBitmap() { unload(); }

void UiBitmap::load() {
    unload();
    if (image && !image->empty())
        loaded = load_menu_picture(*image);
    else if (sprite_name)
        loaded = load_menu_sprite(*sprite_name);
}

void UiBitmap::unload() {
    drop_sprite(loaded);
    displayed = nullptr;
}

int32_t UiBitmap::frame() const {
    if (!enabled) return 2;
    return phase_cell ? cell_value(phase_cell) : focused;
}

void UiBitmap::draw_layout(SpriteGroup& group, int32_t& running_y) {
    displayed = loaded ? new Sprite(*loaded) : nullptr;
    width = displayed ? displayed->frame_width : 0;
    height = displayed ? displayed->frame_height : 0;
    layout(group.size(), running_y);
    add_control_sprite(group, displayed, screen_x, screen_y, z, frame());
}

int32_t UiBitmap::handle_event(int32_t event, int32_t param, std::u16string* out) {
    if (!command) return kMenuNotHandled;
    if (event == kMenuTap || (event == kMenuKey && param == kKeyAction)) {
        give_command(command, out);
        return kMenuCommand;
    }
    if (event == kMenuFocusQuery) {
        give_command(command, out);
        return kMenuHandled;
    }
    return kMenuNotHandled;
}

int32_t UiBitmap::on_var_changed(MenuVar* cell) {
    if (!cell || cell != phase_cell) return kMenuNotHandled;
    if (displayed && displayed->group) displayed->group->set_sprite_phase(displayed, frame());
    return kMenuHandled;
}
