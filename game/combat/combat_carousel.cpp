// The quick-item carousel under the fight: three slots showing the item
// icons of the groups before, at and after the selection of the current
// page, sliding into place when the player scrolls; the pages (weapons,
// magic, usable items); and the caption of the current item.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/ui_menu.h"
#include "game/combat/combat_state.h"
#include "game/map_view/tile_kinds.h"
#include "game/screens/menu_screen.h"
#include "game/session/state_helpers.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"

namespace {

constexpr int32_t kLeftSlotX = 108;
constexpr int32_t kSlotStep = 20;
constexpr int32_t kRowY = 281;
constexpr int32_t kIconDepth = 10;
constexpr uint32_t kIconFlags = GRAB_CENTER | RZ_ZOOMED | ALPHA_LAYER | TRANS_COLOR;
constexpr int32_t kCentreX = kLeftSlotX + kSlotStep;
constexpr int32_t kFadeDistance = 40;
constexpr int32_t kVisibleDistance = 10;
constexpr int32_t kSlideDivisor = 6;
constexpr int32_t kCountShownUpTo = 99;

int32_t slot_x(size_t slot) { return kLeftSlotX + kSlotStep * int32_t(slot); }

std::u16string format(const char* pattern, const std::string& name, int32_t a, int32_t b) {
    char text[200];
    std::snprintf(text, sizeof text, pattern, name.c_str(), a, b);
    return narrow_to_wide(text);
}

std::u16string numbers(int32_t a, int32_t b, bool both) {
    char text[40];
    if (both) std::snprintf(text, sizeof text, "%d+%d", a, b);
    else std::snprintf(text, sizeof text, "%d", a);
    return narrow_to_wide(text);
}

}  // namespace

Sprite* CombatState::add_item_icon(SpriteGroup* group, int32_t icon, int32_t x, int32_t y, int32_t depth,
                                   uint32_t flags) {
    auto* sprite = new Sprite;
    // An icon the data lacks shows the plain bag.
    if (!sprite->load_bitmap(tile_file_name(kTileItem, tile_file_number(kTileItem, icon)), 0))
        sprite->load_bitmap(tile_file_name(kTileItem, 0), 1);
    sprite->assign_flags(sprite->flags | flags);
    group->add_sprite(sprite, x, y, depth, 0, 0, 0);
    return sprite;
}

// --- pages and selection ----------------------------------------------------------------

int32_t CombatState::selection() const {
    const int32_t p = page();
    return p >= 0 && p < kQuickPageCount ? hero->quick_items[size_t(p)] : 0;
}

void CombatState::set_selection(int32_t index) {
    const int32_t p = page();
    if (p >= 0 && p < kQuickPageCount) hero->quick_items[size_t(p)] = index;
}

void CombatState::set_page(int32_t p) {
    hero->action_value = p;
    if (menu_) menu_->set_var(u"Tools", p);
}

void CombatState::build_tool_list(int32_t p) { tools_.build(*hero, p); }

void CombatState::previous_page() { step_page(-1); }
void CombatState::next_page() { step_page(1); }

void CombatState::step_page(int32_t step) {
    play_menu_click();
    for (int32_t tries = 0; tries < kQuickPageCount; ++tries) {
        set_page((page() + step + kQuickPageCount) % kQuickPageCount);
        build_tool_list(page());
        rebuild_carousel(false);
        if (!tools_.empty()) break;
    }
    show_item_caption(true);
}

// --- the carousel -------------------------------------------------------------------------

Sprite* CombatState::make_icon(int32_t index, int32_t x) {
    const CombatToolGroup* group = tools_.group_at(index);
    const ItemRecord* item = group ? group->item() : nullptr;
    return item ? add_item_icon(overlay_group_, item->icon(), x, kRowY, kIconDepth, kIconFlags) : nullptr;
}

void CombatState::remove_carousel() {
    for (Sprite*& icon : carousel_) {
        if (icon && overlay_group_) overlay_group_->remove_sprite(icon);
        icon = nullptr;
    }
}

void CombatState::fill_carousel(int32_t entering_x, const std::array<Sprite*, 3>& reusable) {
    const int32_t n = tools_.size();
    const int32_t sel = selection();
    // Centre first, then right, then left: with fewer than three groups no
    // group shows twice.
    for (const size_t slot : {size_t(1), size_t(2), size_t(0)}) {
        const int32_t index = tools_.wrap(sel + int32_t(slot) - 1);
        const bool shown_already = (slot == 2 && n < 2) || (slot == 0 && n < 3);
        if (shown_already) continue;
        if (reusable[slot] && carousel_group_[slot] == index) {
            carousel_[slot] = reusable[slot];
            continue;
        }
        carousel_[slot] = make_icon(index, entering_x < 0 ? slot_x(slot) : entering_x);
        if (carousel_[slot] && slot != 1) carousel_[slot]->set_alpha(0);
    }
    for (size_t slot = 0; slot < 3; ++slot) carousel_group_[slot] = tools_.wrap(sel + int32_t(slot) - 1);
}

void CombatState::rebuild_carousel(bool with_stats) {
    remove_carousel();
    if (!tools_.empty()) {
        set_selection(tools_.wrap(selection()));
        fill_carousel(-1, {});
    }
    hero->current_item = tools_.entry_at(selection());
    show_item_caption(with_stats);
    if (menu_) menu_->set_var(u"Tools", page());
}

void CombatState::scroll_carousel(int32_t direction) {
    if (tools_.empty()) return;
    const std::array<Sprite*, 3> old = carousel_;
    const std::array<int32_t, 3> old_groups = carousel_group_;
    set_selection(tools_.wrap(selection() + direction));
    // The icons that stay move one slot over; the one that enters comes in
    // from beyond the far slot.
    std::array<Sprite*, 3> reusable{};
    for (size_t slot = 0; slot < 3; ++slot) {
        const int32_t from = int32_t(slot) + direction;
        if (from < 0 || from > 2) continue;
        reusable[slot] = old[size_t(from)];
        carousel_group_[slot] = old_groups[size_t(from)];
    }
    carousel_.fill(nullptr);
    fill_carousel(direction > 0 ? slot_x(2) + kSlotStep : slot_x(0) - kSlotStep, reusable);
    for (Sprite* icon : old)
        if (icon && std::find(carousel_.begin(), carousel_.end(), icon) == carousel_.end())
            overlay_group_->remove_sprite(icon);
    hero->current_item = tools_.entry_at(selection());
    show_item_caption(true);
}

void CombatState::slide_carousel() {
    for (size_t slot = 0; slot < 3; ++slot) {
        Sprite* icon = carousel_[slot];
        if (!icon) continue;
        const int32_t target = slot_x(slot);
        if (icon->x != target) {
            int32_t step = (target - icon->x) / kSlideDivisor;
            if (step == 0) step = target > icon->x ? 1 : -1;
            icon->move_by(step, 0);
        }
        const int32_t distance = std::abs(icon->x - kCentreX);
        icon->set_alpha(distance <= kVisibleDistance ? 32 - 2 * (distance * 32 / kFadeDistance) : 0);
        icon->set_zoom(1024 - std::min(distance, kFadeDistance) * 1024 / kFadeDistance);
    }
}

// --- the caption ----------------------------------------------------------------------------

void CombatState::show_item_caption(bool with_stats) {
    if (with_stats) {
        show_event(kEventItemStats);
        show_event(kEventItemName);
    }
    const InventoryEntry* entry = hero->current_item;
    const ItemRecord* item = entry ? entry->item : nullptr;
    if (item) {
        const CombatToolGroup* group = tools_.find(item->id);
        const int32_t rest = group ? group->count() - entry->uses : 0;
        const bool more = rest > 0;
        ui_set_element_wtext(menu_.get(), u"IDX", numbers(entry->uses, rest, more));
        ui_set_element_wtext(menu_.get(), u"Description1",
                             entry->uses > kCountShownUpTo ? narrow_to_wide(item->name)
                             : more ? format("%s (%d+%d)", item->name, entry->uses, rest)
                                    : format("%s (%d)", item->name, entry->uses, 0));
        ui_set_element_wtext(menu_.get(), u"Name1", narrow_to_wide(item->name));
    } else {
        for (const char16_t* control : {u"IDX", u"Description1", u"Name1"}) ui_set_element_wtext(menu_.get(), control, u"");
    }
    if (menu_) menu_->draw();
    show_idle_pose();
    show_matchup_if_easy();
}
