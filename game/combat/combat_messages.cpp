// The message board of a fight: numbered events become a text on the two
// status lines of the combat page (the latest and the one before), with
// their colours, and the results of attacks fly up as numbers over the
// fighter who took them.
#include <cstdarg>
#include <cstdio>

#include "engine/ui/text_effects.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_text.h"
#include "game/combat/combat_state.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/sound/sound_manager.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 255;  // 0xBBGGRR
constexpr Point kOverMonster{40, 120};
constexpr Point kOverHero{180, 120};
constexpr int32_t kCriticalBelow = 12;

std::u16string printf_text(const char* pattern, ...) {
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return narrow_to_wide(text);
}

const char* boost_word(int32_t kind) {
    static const char* const kWords[] = {"HTH", "DEX", "STR", "DEF", "AIM", "RES"};
    return kind >= 0 && kind < 6 ? kWords[kind] : "";
}

bool missed(const CombatResult& result) { return result.flags < CombatResult::kHit; }

}  // namespace

std::u16string hero_damage_line(const CombatResult& result) {
    static const char* const kPatterns[3][2] = {
        {"Tolvanek barely scratches for %d damage!", "Tolvanek scratches for %d damage!"},
        {"Tolvanek attacks for %d damage!", "Tolvanek attacks critical for %d damage!"},
        {"Tolvanek hits hard for %d damage!", "Tolvanek devastates for %d damage!"},
    };
    const int32_t row = result.matchup >= 0 && result.matchup <= 2 ? result.matchup : 1;
    return printf_text(kPatterns[row][result.critical() ? 1 : 0], result.damage);
}

void CombatState::show_event(int32_t event) {
    event_ = event;
    show_message();
}

void CombatState::show_message() {
    if (event_ == kNoEvent) return;
    const int32_t event = event_;
    place_line(event, event_text(event));
    if (menu_) menu_->draw();
    event_ = kNoEvent;
}

void CombatState::set_status_color(const char16_t* control, uint32_t colour) {
    if (auto* text = dynamic_cast<UiText*>(find_menu_control(menu_.get(), control))) text->set_color(1, colour);
}

void CombatState::fly(const std::u16string& text, bool over_monster, int32_t dy) {
    if (!text_effects_) return;
    const Point at = over_monster ? kOverMonster : kOverHero;
    text_effects_->create("fly", text, at.x, at.y + dy, 32, true, true, 0);
}

void CombatState::place_line(int32_t event, const std::u16string& text) {
    if (event == kEventHeroResult || event == kEventMonsterResult) {
        lines_[0] += text;
    } else {
        if (!lines_[0].empty()) lines_[1] = lines_[0];
        lines_[0] = text;
    }
    const char16_t* latest = u"status1";
    const char16_t* older = u"status2";
    if (event == kEventExperience || event == kEventFound) {
        latest = u"status1b";
        older = u"status2b";
    } else if (event == kEventDied) {
        latest = u"status1c";
        older = u"status2c";
    }
    ui_set_element_wtext(menu_.get(), latest, lines_[0]);
    ui_set_element_wtext(menu_.get(), older, lines_[1]);
}

std::u16string CombatState::event_text(int32_t event) {
    const std::string& monster_name = monster_->record()->name;
    const char* hero_name = hero->name.c_str();
    const InventoryEntry* current = hero->current_item;
    const ItemRecord* item = current ? current->item : nullptr;
    switch (event) {
    case kEventAppeared: return printf_text("%s appeared!", monster_name.c_str());
    case kEventHeroUses:
        set_status_color(u"status1", kWhite);
        set_status_color(u"status2", kWhite);
        if (!used_item_) return {};
        if (!used_item_->use_text().empty()) return narrow_to_wide(used_item_->use_text());
        if (used_item_->kind == kItemWand || used_item_->kind == kItemUsable)
            return printf_text("%s uses %s!", hero_name, used_item_->name.c_str());
        return {};
    case kEventRefused:
        if (result_.refusal == 3 && used_item_)
            return printf_text("Don't know how to use it! +%d AIM needed.",
                               int32_t(used_item_->aim) - hero->combat_knowledge - hero->bonus_knowledge);
        return u"Can't use this item now!";
    case kEventHeroResult: return hero_result_text();
    case kEventWornOut:
        set_status_color(u"status2", kRed);
        return u"Your item is worn out.";
    case kEventMonsterUses: {
        set_status_color(u"status1", kWhite);
        if (!monster_item_) return printf_text("%s waits.", monster_name.c_str());
        if (const std::string* own = monster_->item_param(); own && !own->empty()) return narrow_to_wide(*own);
        const char* pattern = monster_item_->kind == kItemWeapon ? "%s attacks with %s!"
                              : monster_item_->kind == kItemWand ? "%s casts %s!"
                                                                 : "%s uses %s!";
        return printf_text(pattern, monster_name.c_str(), monster_item_->name.c_str());
    }
    case kEventMonsterResult: return monster_result_text();
    case kEventClear:
        set_status_color(u"status1", kWhite);
        set_status_color(u"status2", kWhite);
        lines_ = {};
        return {};
    case kEventDefeated:
        set_status_color(u"status1", kWhite);
        set_status_color(u"status2", kWhite);
        return printf_text("%s was defeated!", monster_name.c_str());
    case kEventDied:
        set_status_color(u"status1c", kRed);
        return printf_text("%s, you died!", hero_name);
    case kEventExperience:
        set_status_color(u"status1b", kWhite);
        set_status_color(u"status2b", kWhite);
        if (!game->music_locked) {
            game->stop_music();
            if (g_sound_manager) g_sound_manager->play_sound(u"sfx/winbattle.wav", 255, -1, false);
        }
        return printf_text("%s, you got %d XP!", hero_name, reward_.experience);
    case kEventFound: {
        if (reward_.gold > 0) return printf_text("%s, you found %d gold!", hero_name, reward_.gold);
        const ItemRecord* found = world->get_item(reward_.item_id);
        return printf_text("%s, you found a %s!", hero_name, found ? found->name.c_str() : "thing");
    }
    case kEventItemStats:
        set_status_color(u"status1", kWhite);
        set_status_color(u"status2", kWhite);
        if (!item) return {};
        if (item->kind == kItemWand)
            return printf_text("price: %d    Effect: %d   Aiming: %d", item->price, int32_t(item->value),
                               int32_t(item->aim));
        return printf_text("price: %d    Effect: %d", item->price, int32_t(item->value));
    case kEventItemName:
        if (!item) return {};
        return printf_text("%d: %s", tools_.wrap(selection()) + 1, item->name.c_str());
    case kEventEscape: {
        set_status_color(u"status1", kRed);
        set_status_color(u"status2", kRed);
        const int32_t lost = rules_.flight_gold_loss();
        if (lost <= 0) return printf_text("%s escapes!", hero_name);
        return printf_text("%s escapes, but drops %d gold!", hero_name, lost);
    }
    case kEventNoEscape: return u"There's no place to hide!";
    default: return {};
    }
}

std::u16string CombatState::hero_result_text() {
    show_hp();
    if (!used_item_) return {};
    if (used_item_->kind == kItemUsable) {
        fly(printf_text("%d", result_.amount), false);
        return printf_text("+%d %s points!", result_.amount, boost_word(result_.boost_kind));
    }
    if (used_item_->kind != kItemWeapon && used_item_->kind != kItemWand) return {};
    if (missed(result_)) {
        fly(u"missed", true);
        return u"Misses!";
    }
    if (result_.damage <= 0) {
        fly(u"No harm!", true);
        return u"No harm!";
    }
    if (world->difficulty == 1) set_arrow_frame(result_.matchup);
    lines_[0].clear();
    fly(printf_text("%d", result_.damage), true);
    if (result_.critical()) fly(u"Critical!", true, kCriticalBelow);
    return hero_damage_line(result_);
}

std::u16string CombatState::monster_result_text() {
    show_hp();
    if (!monster_item_) return {};
    // Joined to the item's own line like " Misses!", so it needs its space.
    if (monster_item_->kind == kItemUsable)
        return printf_text(" %s restores %d HTH!", monster_->record()->name.c_str(), result_.amount);
    if (missed(result_)) {
        fly(u"missed", false);
        return u" Misses!";
    }
    if (result_.damage <= 0) {
        fly(u"No harm!", false);
        return u"No harm!";
    }
    fly(printf_text("%d", result_.damage), false);
    if (result_.critical()) fly(u"Critical!", false, kCriticalBelow);
    return printf_text(" %d damage!", result_.damage);
}
