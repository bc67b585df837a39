#include "game/screens/menu_screen.h"

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/session/game.h"
#include "game/sound/sound_manager.h"

namespace {

constexpr int32_t kVariantSide = 480;
constexpr int kClickVolume = 190;

}  // namespace

std::u16string page_variant(std::u16string_view base, Size layer) {
    std::u16string path(base);
    if (layer.width == kVariantSide) path += u"_480";
    else if (layer.height == kVariantSide) path += u"_q";
    return path + u".def";
}

Rect centred_dialog_area(Size layer) {
    const Point at{layer.width / 2 - kDialogSize.width / 2, layer.height / 2 - kDialogSize.height / 2};
    return {at.x, at.y, at.x + kDialogSize.width, at.y + kDialogSize.height};
}

void play_menu_click() {
    if (g_sound_manager) g_sound_manager->play_sound(u"sfx\\switchon.wav", kClickVolume, -1, false);
}

MenuPage::MenuPage() = default;
MenuPage::~MenuPage() = default;

void MenuPage::add_group(Layer& layer, Rect area, uint32_t depth) {
    group_ = new SpriteGroup;
    layer.add_at(group_, area.left, area.top, area.width(), area.height(), depth);
    group_->set_size(area.width(), area.height());
}

void MenuPage::remove_group(Layer* layer) {
    menu_.reset();
    if (layer) layer->remove(group_);  // deletes the group and its sprites
    group_ = nullptr;
}

UiMenu& MenuPage::load(std::u16string_view path) {
    unload();
    menu_ = std::make_unique<UiMenu>(group_, path);
    return *menu_;
}

void MenuPage::unload() {
    if (!menu_) return;
    menu_.reset();  // releases the page
    group_->clear();
}

void show_map_groups(Game& game) {
    for (SpriteGroup* group : {game.ground_group(), game.object_group()}) {
        if (!group) continue;
        group->set_visible(true);
        group->invalidate();
    }
    game.restore_level_sprites();
}

bool menu_has_focus(const UiMenu& menu) {
    const UiPage* page = menu.current();
    return page && page->focused_control() != nullptr;
}

MenuInput send_pen_focus_style(UiMenu& menu, int kind, Point at) {
    MenuInput input;
    const int32_t point = pack_point(at.x, at.y);
    if (kind == kPenDown || kind == kPenMove) {
        input.result = menu.handle_event(kMenuPointerFocus, point, nullptr);
    } else if (kind == kPenUp) {
        const int32_t cleared = menu.handle_event(kMenuClearFocus, 0, nullptr);
        input.result = menu.handle_event(kMenuTap, point, &input.command);
        // The cleared focus needs a redraw even when the tap hit nothing.
        if (cleared == kMenuFocusChanged && input.result == kMenuNotHandled) input.result = kMenuFocusChanged;
    }
    if (input.result != kMenuCommand) input.command.clear();
    return input;
}

MenuInput send_key_focus_style(UiMenu& menu, uint32_t game_key) {
    MenuInput input;
    const int32_t key = int32_t(game_key == kKeyButton1 ? kKeyAction : game_key);
    input.result = menu.handle_event(kMenuKey, key, &input.command);
    if (input.result == kMenuNotHandled && !menu_has_focus(menu)) {
        menu.focus_first();
        input.focused_first = true;
    }
    if (input.result != kMenuCommand) input.command.clear();
    return input;
}
