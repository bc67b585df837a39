#include "game/screens/hero_sheet_page.h"

#include <algorithm>

#include "engine/files/ini_file.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/map_view/tile_kinds.h"
#include "game/map_view/tile_renderer.h"
#include "game/screens/item_grid.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"

namespace {

constexpr std::u16string_view kPageFile = u"menus/level/level.def";
constexpr const char* kLayoutSection = "inv";
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kPurgeBelowMb = 3;
// The gear pictures stand where the inventory's grid starts, moved by the
// section's "armor" and "shield" places, 5 pixels to the left.
constexpr int32_t kGearShiftX = -5;

Point gear_place(IniFile& layout, const char* key) {
    return {layout.get_int(0, "itemx", kLayoutSection, 0, 0) + layout.get_int(0, key, kLayoutSection, 0, 0) + kGearShiftX,
            layout.get_int(0, "itemy", kLayoutSection, 0, 0) + layout.get_int(0, key, kLayoutSection, 0, 1)};
}

std::string uses_text(const InventoryEntry* worn) { return worn ? std::to_string(worn->uses) : std::string(); }

}  // namespace

std::string number_pair(int32_t first, int32_t second, std::string_view separator) {
    return std::to_string(first) + std::string(separator) + std::to_string(second);
}

void HeroSheetPage::build(Game& game) {
    game_ = &game;
    Layer& layer = *game.first_layer();
    const Rect screen{0, 0, layer.size().width, layer.size().height};
    page_.add_group(layer, screen, kPageDepth);
    pictures_ = new SpriteGroup;
    layer.add_at(pictures_, screen.left, screen.top, screen.width(), screen.height(), kPictureDepth);
    pictures_->set_size(screen.width(), screen.height());
    page_.load(kPageFile);
    game.full_screen_page = true;
}

void HeroSheetPage::remove() {
    if (!game_) return;
    Layer* layer = game_->first_layer();
    if (pictures_) {
        pictures_->clear();
        if (layer) layer->remove(pictures_);  // deletes the group
    }
    pictures_ = nullptr;
    armour_ = shield_ = nullptr;
    page_.remove_group(layer);
    if (game_->free_memory && game_->free_memory() < kPurgeBelowMb) purge_resource_caches();
    game_->full_screen_page = false;
    game_ = nullptr;
}

void HeroSheetPage::fill(const HeroActor& hero, std::string_view pair_separator) {
    if (!page_) return;
    UiMenu& menu = *page_;
    set_control(menu, u"HTH", number_pair(hero.hit_points, hero.max_hit_points, pair_separator));
    set_control(menu, u"LEV", std::to_string(hero.level_number));
    set_control(menu, u"EXP", number_pair(hero.experience, hero.experience_step, pair_separator));
    set_control(menu, u"DEX", std::to_string(hero.dexterity_));
    set_control(menu, u"STR", std::to_string(hero.strength_));
    set_control(menu, u"DEF", std::to_string(hero.defence_));
    set_control(menu, u"KNW", std::to_string(hero.knowledge_));
    set_control(menu, u"RES", std::to_string(hero.resistance_));
    set_control(menu, u"GOLD", std::to_string(hero.gold));
    set_control(menu, u"ARMORIDX", uses_text(hero.armour && hero.armour->item ? hero.armour : nullptr));
    set_control(menu, u"SHIELDIDX", uses_text(hero.shield && hero.shield->item ? hero.shield : nullptr));
    place_gear(hero);
    redraw();
}

void HeroSheetPage::place_gear(const HeroActor& hero) {
    TileRenderer& icons = game_->map_cells().renderer();
    const auto place = [&](const InventoryEntry* worn, Sprite*& picture, const char* key) {
        if (picture || !worn || !worn->item) return;
        const Point at = gear_place(game_->module()->layout, key);
        picture = icons.get_tile_sprite(kTileItem, *pictures_, at.x, at.y, 0, std::max(worn->item->param1, 0));
        if (!picture) return;
        picture->set_flags(kFadingSprite);
        picture->set_alpha(pictures_->group_alpha());
    };
    place(hero.armour, armour_, "armor");
    place(hero.shield, shield_, "shield");
}

void HeroSheetPage::set_text(std::u16string_view control, std::string_view text) {
    if (page_) set_control(*page_, control, text);
}

void HeroSheetPage::redraw() {
    if (!page_) return;
    page_->draw();
    // New text sprites follow the page's fade from where it stands.
    SpriteGroup* group = page_.group();
    group->set_all_flags(kFadingSprite);
    group->set_alpha(group->group_alpha());
}

void HeroSheetPage::start_transparent() {
    for (SpriteGroup* group : {page_.group(), pictures_}) {
        if (!group) continue;
        group->set_all_flags(kFadingSprite);
        group->set_alpha(0);
    }
}

void HeroSheetPage::fade(int32_t step) {
    for (SpriteGroup* group : {page_.group(), pictures_})
        if (group) group->add_alpha(step);
}

void HeroSheetPage::show_opaque() {
    if (page_) page_.group()->set_alpha(kOpaque);
}

int32_t HeroSheetPage::alpha() const { return page_ ? page_.group()->group_alpha() : 0; }

std::u16string HeroSheetPage::button_at(Point screen) const {
    if (!page_) return {};
    const Point origin = page_.group()->position();
    std::u16string command;
    if (page_->handle_event(kMenuTap, pack_point(screen.x - origin.x, screen.y - origin.y), &command) != kMenuCommand)
        command.clear();
    return command;
}
