#include "game/screens/item_notice_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "game/map_view/tile_kinds.h"
#include "game/map_view/tile_renderer.h"
#include "game/screens/menu_screen.h"
#include "game/screens/talking_state.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/session/story_module.h"
#include "game/world/world.h"

namespace {

constexpr uint32_t kGroupDepth = 1500;
// Centred horizontally, at the bottom of the group.
constexpr int32_t kBottomCentre = 0x42;
// The box stands above the walk HUD's strip, which stays readable.
constexpr int32_t kHudStrip = 34;
// Between the box and a talk bubble it makes room for.
constexpr int32_t kBubbleGap = 4;
constexpr int32_t kTextLeft = 50, kIconLeft = 10, kInset = 10, kTextMargin = 20;
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;

// The action key and the first and fourth buttons close the notice.
bool starts_leaving(uint32_t game_key) {
    return game_key == kKeyAction || game_key == kKeyButton1 || game_key == kKeyButton4;
}

}  // namespace

std::string item_notice_text(const World& world, const ItemNotice& notice) {
    const char* verb = notice.amount > 0 ? "took" : "gave";
    if (notice.item_id == 0) return std::string("You ") + verb + " " + std::to_string(std::llabs(notice.amount)) + " gold";
    const ItemRecord* item = world.get_item(notice.item_id);
    return item ? std::string("You ") + verb + " " + item->name : std::string();
}

int32_t item_notice_icon(const World& world, const ItemNotice& notice) {
    if (notice.item_id == 0) return ItemNoticeState::kGoldIcon;
    const ItemRecord* item = world.get_item(notice.item_id);
    return item ? std::max(item->param1, 0) : 0;
}

Rect item_notice_area(Size layer, Size box, Rect bubble) {
    const Rect map{0, 0, layer.width, layer.height - kHudStrip};
    const Rect box_at_bottom{(map.width() - box.width) / 2, map.bottom - box.height,
                             (map.width() - box.width) / 2 + box.width, map.bottom};
    if (!box_at_bottom.intersects(bubble)) return map;
    // A bubble that reaches down to the box leaves no room for it below.
    const Rect above{0, 0, map.right, std::max(bubble.top - kBubbleGap, 0)};
    return above.height() >= box.height ? above : map;
}

void ItemNoticeState::enter(ScreenArgument argument) {
    bind_context();
    leaving_ = false;
    const ItemNotice* notice = argument.pointer<const ItemNotice>();
    notice_ = notice ? *notice : ItemNotice{};
    if (notice_.return_state.empty()) notice_.return_state = kWalkingScreen;
    if (item_notice_text(*world, notice_).empty()) {
        // An item no story record has: nothing to tell.
        std::fprintf(stderr, "tarrowind: no notice for the unknown item %08X\n", unsigned(notice_.item_id));
        return_to_caller();
        return;
    }
    show();
}

void ItemNoticeState::show() {
    Layer& layer = *game->first_layer();
    group_ = new SpriteGroup;
    layer.add_at(group_, 0, 0, 0, 0, kGroupDepth);
    background_ = group_->create_sprite(u"talk/itembg.spr", 0, 0, 0, 0, 0, 0);
    const TalkingState* talk = find_screen<TalkingState>(*game);
    const Rect area = item_notice_area(layer.size(), {background_->frame_width, background_->frame_height},
                                       talk ? talk->bubble_area() : Rect{});
    group_->set_position(area.left, area.top);
    group_->set_size(area.width(), area.height());
    background_->set_aligned_position(kBottomCentre, 0, 0);
    const Point box{background_->x, background_->y};

    Font font;
    const std::string& name = game->module()->gfx.genfont;
    font.load(narrow_to_wide(name.empty() ? "genfont" : name));
    std::string text = item_notice_text(*world, notice_);
    text_ = font.render_text_ascii(text.data(), background_->frame_width - kTextMargin, 0, 0, kTextPlain, kAlignLeft,
                                   -1, 0);
    font.release();
    group_->add_sprite(text_, box.x + kTextLeft, box.y + kInset, 0, 0, 0, 0);
    game->map_cells().renderer().get_tile_sprite(kTileItem, *group_, box.x + kIconLeft, box.y + kInset, 0,
                                                  item_notice_icon(*world, notice_));
    group_->set_all_flags(kFadingSprite);
    group_->set_alpha(0);
    // Its own alpha: the box stays a little see-through.
    background_->clear_flags(ALPHA_AUTO);
}

Rect ItemNoticeState::box_area() const {
    if (!group_ || !background_) return {};
    const Point at = group_->position();
    return background_->bounds(-at.x, -at.y);
}

void ItemNoticeState::leave() {
    if (group_ && game && game->first_layer()) game->first_layer()->remove(group_);
    group_ = nullptr;
    background_ = text_ = nullptr;
}

void ItemNoticeState::update() {
    if (!group_) return;
    const bool changed = group_->add_alpha(leaving_ ? -kFadeStep : kFadeStep) != 0;
    if (changed) {
        background_->set_alpha(text_->alpha * 4 / 5);
        group_->invalidate_sprite(background_);
    } else if (leaving_) {
        return_to_caller();
    }
}

void ItemNoticeState::return_to_caller() { game->switch_state(notice_.return_state.c_str(), 0); }

void ItemNoticeState::on_pointer(int kind, int32_t, int32_t) {
    // No click: the game's clicks belong to its menus, the inventory, the
    // shop and the map zoom.
    if (kind != kPenDown || !group_) return;
    leaving_ = true;
}

void ItemNoticeState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress || !group_ || !starts_leaving(game_key)) return;
    leaving_ = true;
}
