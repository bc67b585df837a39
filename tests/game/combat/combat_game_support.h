// The demo game started headless for fights: a monster of the demo story
// (or one made in the test) met on the map, the combat screen entered as
// the walking screen enters it, and ticks, keys and taps driven one by one.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "engine/app/input_kind.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/combat/combat_state.h"
#include "game/effects/action_player.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/monster_actor.h"
#include "tests/game/screens/walking_game_support.h"

namespace demo {
inline constexpr uint32_t kRat = 0x3001, kWisp = 0x3003;
inline constexpr uint32_t kCudgel = 0x4101, kKnife = 0x4102, kTwig = 0x4201, kGreaterTonic = 0x4302,
                          kDraught = 0x4303;
}  // namespace demo

class CombatTest : public DemoGameTest {
protected:
    // Safety bound of the loops below: far more than any fight takes.
    static constexpr int kMostTicks = 20000;

    void SetUp() override {
        DemoGameTest::SetUp();
        start_walking();
        finish_fades();
    }

    CombatState& combat() {
        for (GameState* state : game().states())
            if (auto* c = dynamic_cast<CombatState*>(state)) return *c;
        throw std::logic_error("no combat screen");
    }
    bool fighting() { return screen() == &combat(); }
    std::u16string menu_page_name() {
        const UiMenu* menu = combat().menu();
        return menu && menu->current() ? menu->current()->name() : u"";
    }
    ActionPlayer& player() { return *game().action_player(); }

    // A monster of the story met on the map, as the walking screen hands it
    // over (encounter: made for this fight only).
    MonsterActor& meet(uint32_t monster_id, bool encounter = true) {
        MonsterRecord* record = world().get_or_load_monster(monster_id);
        EXPECT_NE(record, nullptr);
        return meet(record, encounter);
    }
    MonsterActor& meet(MonsterRecord* record, bool encounter = true) {
        auto monster = std::make_shared<MonsterActor>(&world(), record);
        monster->encounter = encounter;
        game().screen_subjects.opponent = monster;
        game().switch_state("Combat", monster.get());
        return *monster;
    }
    // Ticks until the fight waits for the player (or is over).
    bool until_phase(int32_t phase, int most = kMostTicks) {
        for (int i = 0; i < most && fighting(); ++i) {
            if (combat().phase() == phase) return true;
            tick();
        }
        return fighting() && combat().phase() == phase;
    }
    // The hero's turn, once the screen takes input (from the frame after the
    // phase began).
    bool until_hero_input(int most = kMostTicks) {
        for (int i = 0; i < most && fighting(); ++i) {
            if (combat().phase() == CombatState::kHeroInput && combat().input_enabled()) return true;
            tick();
        }
        return false;
    }
    // Attacks whenever the hero may until `done` holds or the fight is over.
    bool attack_until(const std::function<bool()>& done) {
        for (int i = 0; i < kMostTicks && fighting(); ++i) {
            if (done()) return true;
            if (combat().phase() == CombatState::kHeroInput && combat().input_enabled()) press(kKeyAction);
            tick();
        }
        return done();
    }
    void press(uint32_t game_key) {
        screen()->on_key(kKeyPress, game_key, 0);
        if (fighting()) screen()->on_key(kKeyRelease, game_key, 0);
    }
    void tap(int32_t x, int32_t y) {
        screen()->on_pointer(kPenDown, x, y);
        screen()->on_pointer(kPenUp, x, y);
    }
    // Ticks until the combat screen was left, attacking whenever the hero
    // may and cutting the waits short; the ticks taken, or -1.
    int until_over(int most = kMostTicks) {
        for (int i = 0; i < most; ++i) {
            if (!fighting()) return i;
            const int32_t phase = combat().phase();
            if (combat().input_enabled() &&
                (phase == CombatState::kHeroInput || (phase == CombatState::kCountedWait && combat().skip_allowed())))
                press(kKeyAction);
            tick();
        }
        return -1;
    }
    // The hero with exactly these items (uses as the item gives them).
    void give_only(std::initializer_list<uint32_t> item_ids) {
        hero().inventory.clear();
        hero().current_item = hero().armour = hero().shield = nullptr;
        for (uint32_t id : item_ids) hero().add_item(id);
    }
};
