// The combat screen in the demo game, headless: a fight's way from the
// white fade to victory, flight or death, and the faults a fight must not
// have (a stale flight flag, a result never shown, a freed item still
// listed, actions left on deleted sprites, a hero stuck with nothing he
// may use, a pen that reaches no button, a dead hero healed or saved,
// wrapped indexes and scales of 0).
#include <filesystem>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_def.h"
#include "game/effects/action_script.h"
#include "game/screens/end_of_game_state.h"
#include "game/session/state_helpers.h"
#include "game/session/story_placement.h"
#include "tests/game/combat/combat_game_support.h"

namespace {

using Phase = CombatState::Phase;

// A hero nothing in the demo resists, and one who falls at the first blow.
void make_mighty(HeroActor& h) {
    h.strength_ = h.dexterity_ = h.knowledge_ = 400;
    h.hit_points = h.max_hit_points = 5000;
}
void make_frail(HeroActor& h) {
    h.dexterity_ = h.defence_ = h.resistance_ = 0;
    h.hit_points = 1;
}

TEST_F(CombatTest, AFightFadesInFromWhiteWithTheMapHiddenAndEndsWithTheMapBack) {
    make_mighty(hero());
    meet(demo::kRat);
    ASSERT_TRUE(fighting());
    EXPECT_TRUE(game().camera_frozen);
    game().upper_fade().add_level(FadeControl::kDark);  // as the walking screen left it
    tick();
    EXPECT_EQ(combat().phase(), Phase::kInitiative);
    EXPECT_TRUE(combat().screen_built());
    EXPECT_FALSE(game().ground_group()->is_visible());
    EXPECT_FALSE(game().hud.group()->is_visible());
    tick();
    EXPECT_EQ(game().upper_fade().level(), FadeControl::kDark - 2);
    ASSERT_TRUE(until_phase(Phase::kHeroInput) || until_hero_input());
    EXPECT_EQ(game().upper_fade().level(), 0);
    EXPECT_EQ(combat().latest_line().empty(), false);
    EXPECT_GE(until_over(), 0);
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_FALSE(game().camera_frozen);
    EXPECT_TRUE(game().ground_group()->is_visible());
    EXPECT_TRUE(game().hud.bar_group()->is_visible());
    EXPECT_EQ(game().screen_subjects.opponent, nullptr);
    EXPECT_EQ(player().running_count(), 0);
}

TEST_F(CombatTest, AVictoryPaysTheRewardAndTakesTheMonsterOffItsLevel) {
    make_mighty(hero());
    MapLevel* level = world().current_level();
    ASSERT_NE(level, nullptr);
    MonsterActor* placed = place_monster(game(), *world().get_or_load_monster(demo::kRat), *level, {64, 64});
    ASSERT_NE(placed, nullptr);
    std::shared_ptr<MonsterActor> monster;
    for (const auto& actor : level->extra_actors)
        if (actor.get() == placed) monster = std::dynamic_pointer_cast<MonsterActor>(actor);
    ASSERT_NE(monster, nullptr);
    monster->encounter = false;
    game().screen_subjects.opponent = monster;
    game().switch_state("Combat", monster.get());
    const int32_t gold = hero().gold, experience = hero().experience;
    ASSERT_TRUE(attack_until([&] { return combat().phase() == Phase::kCountedWait; }));
    EXPECT_LE(monster->hit_points, 0);
    EXPECT_EQ(menu_page_name(), u"REWARD");
    const CombatReward reward = combat().reward();
    EXPECT_GE(until_over(), 0);
    EXPECT_EQ(hero().gold, gold + reward.gold);
    EXPECT_EQ(hero().experience, experience + reward.experience);
    EXPECT_TRUE(reward.gold > 0 || reward.item_id != 0);
    for (const auto& actor : level->extra_actors) EXPECT_NE(actor.get(), monster.get());
}

// The reward page's two lines, the experience and the find, stand below
// the level-up picture's rays (they end at y 210) and above the panel with
// the find's icon, whatever the story's monsters drop: the find may take a
// second row.
TEST_F(CombatTest, TheRewardLinesOfEveryFindFitAboveThePanel) {
    make_mighty(hero());
    meet(demo::kRat);
    ASSERT_TRUE(attack_until([&] { return menu_page_name() == u"REWARD"; }));
    UiMenu& menu = *combat().menu();
    const UiControl* panel = nullptr;
    for (const auto& control : menu.current()->controls())
        if (control->kind == kUiBitmap) panel = control.get();
    ASSERT_NE(panel, nullptr);
    std::vector<std::string> finds = {"Tolvanek, you found 99999 gold!"};
    for (const auto& group : world().item_groups)
        for (const auto& item : group->items) finds.push_back("Tolvanek, you found a " + item->name + "!");
    for (const std::string& find : finds) {
        ui_set_element_text(&menu, u"status2b", "Tolvanek, you got 9999 XP!");
        ui_set_element_text(&menu, u"status1b", find);
        menu.draw();
        const Rect older = find_menu_control(&menu, u"status2b")->screen_rect();
        const Rect latest = find_menu_control(&menu, u"status1b")->screen_rect();
        EXPECT_GT(older.top, 210) << find;
        EXPECT_LE(older.bottom, latest.top) << find;
        EXPECT_LE(latest.bottom, panel->screen_rect().top) << find;
    }
}

TEST_F(CombatTest, AMonsterThatForbidsFlightKeepsTheHeroInTheFight) {
    meet(demo::kWisp);
    ASSERT_TRUE(until_hero_input());
    press(kKeyButton4);
    EXPECT_EQ(combat().phase(), Phase::kHeroInput);
    EXPECT_EQ(combat().latest_line(), u"There's no place to hide!");
}

TEST_F(CombatTest, AFlightEndsOnTheMapWithTheHeroAliveAndHisGoldNotBelowZero) {
    hero().hit_points = hero().max_hit_points;
    hero().gold = 95;
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    press(kKeyButton4);
    EXPECT_GE(until_over(), 0);
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_GT(hero().hit_points, 0);
    EXPECT_GE(hero().gold, 0);
    EXPECT_LE(hero().gold, 95);
}

TEST_F(CombatTest, DeathShowsTheFuneralThenTheLoadScreenWithNoHealNorSave) {
    game().module()->settings.auto_heal = 1;
    give_only({demo::kKnife, demo::kTonic, demo::kTonic});
    make_frail(hero());
    MonsterActor& rat = meet(demo::kRat);
    rat.strength_ = 300;
    rat.dexterity_ = 300;
    const size_t items = hero().inventory.size();
    ASSERT_TRUE(attack_until([&] { return combat().phase() == Phase::kCountedWait; }));
    ASSERT_LE(hero().hit_points, 0);
    EXPECT_EQ(combat().next_phase(), Phase::kGameOver);
    EXPECT_EQ(menu_page_name(), u"FUNERAL");
    ASSERT_NE(combat().funeral_sprite(), nullptr);
    EXPECT_GE(until_over(), 0);
    // The game-over picture; a key fades it out to the load screen.
    ASSERT_EQ(screen_name(), "EndOfGame");
    EXPECT_EQ(static_cast<EndOfGameState*>(screen())->variant(), EndOfGameState::kGameOver);
    tick(40);
    press(kKeyAction);
    tick(40);
    EXPECT_EQ(screen_name(), "GameIO");
    EXPECT_LE(hero().hit_points, 0);
    EXPECT_EQ(hero().inventory.size(), items);  // no potion drunk after death
    EXPECT_FALSE(game().autosave());
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/save6.dat"));
}

TEST_F(CombatTest, AFightAfterAFlightTheMonsterAnsweredStartsAfresh) {
    bool answered = false;
    for (int attempt = 0; attempt < 40 && !answered; ++attempt) {
        hero().hit_points = hero().max_hit_points;
        host.sleep_ms(37);  // another seed
        meet(demo::kRat);
        ASSERT_TRUE(until_hero_input());
        press(kKeyButton4);
        answered = combat().parting_attack_done();
        EXPECT_GE(until_over(), 0);
    }
    ASSERT_TRUE(answered);
    hero().hit_points = hero().max_hit_points;
    meet(demo::kRat).hit_points = 500;  // it lives through the hero's blows
    EXPECT_FALSE(combat().parting_attack_done());
    // The monster's turns are fought again: after its first answer the
    // hero's turn comes back (the stale flag would end the fight as fled).
    ASSERT_TRUE(attack_until([&] { return combat().phase() == Phase::kMonsterResult; }));
    tick();
    EXPECT_EQ(combat().phase(), Phase::kHeroInput);
}

std::vector<std::u16string> sound_files(const CombatAction& action) {
    std::vector<std::u16string> files;
    for (const ActionSound& sound : action.sounds) files.push_back(sound.file);
    return files;
}

TEST_F(CombatTest, TheAnswerToAFailedFlightShowsTheItemItStruckWith) {
    // With three arms a second choice would often show another one's action.
    constexpr uint32_t kTusks = 0x4702, kMarshFire = 0x4703;
    int answered = 0;
    for (int attempt = 0; attempt < 80 && answered < 6; ++attempt) {
        hero().hit_points = hero().max_hit_points = 500;
        host.sleep_ms(37);  // another seed
        MonsterActor& rat = meet(demo::kRat);
        for (uint32_t id : {kTusks, kMarshFire})
            rat.inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{world().get_item(id), 1000}));
        ASSERT_TRUE(until_hero_input());
        press(kKeyButton4);
        if (combat().parting_attack_done()) {
            ++answered;
            const ItemRecord* struck = rat.current_item->item;
            ASSERT_TRUE(until_phase(Phase::kMonsterAction));
            EXPECT_EQ(rat.current_item->item, struck);
            const int32_t index = player().find_action(combat().action_id());
            ASSERT_GE(index, 0) << struck->name;
            CombatAction expected;
            ASSERT_TRUE(read_action_script(expected, struck->action_name(), {combat().result().flags & ~8, -1, {-1, -1}}));
            EXPECT_EQ(sound_files(player().action(index)), sound_files(expected)) << struck->name;
        }
        EXPECT_GE(until_over(), 0);
    }
    EXPECT_EQ(answered, 6);
}

TEST_F(CombatTest, AHardBlowTheHeroLivesThroughThrowsHimBackThenHeStandsAgain) {
    hero().hit_points = hero().max_hit_points = 5000;
    hero().dexterity_ = hero().defence_ = 0;
    meet(demo::kBoar).dexterity_ = 300;
    // Only the base sprite has the death animations.
    const auto on_base = [&] { return combat().hero_sprite()->def->find_animation("DieFull") >= 0; };
    ASSERT_TRUE(attack_until([&] { return combat().phase() == Phase::kMonsterAction; }));
    ASSERT_TRUE(combat().result().flags & CombatResult::kHardHit);
    EXPECT_FALSE(on_base());
    ASSERT_TRUE(until_hero_input());
    EXPECT_TRUE(on_base());
}

TEST_F(CombatTest, AnAttackWhoseActionScriptIsMissingStillShowsItsResult) {
    give_only({demo::kKnife});
    world().get_item(demo::kKnife)->text3 = "no_such_action";
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    press(kKeyAction);
    ASSERT_TRUE(until_phase(Phase::kHeroResult) || until_phase(Phase::kPause));
    EXPECT_FALSE(combat().latest_line().empty());
    EXPECT_EQ(player().find_action(combat().action_id()), -1);
}

TEST_F(CombatTest, TheLastDraughtLeavesTheCarouselAtOnceAndTheFightGoesOn) {
    give_only({demo::kDraught, demo::kKnife});
    hero().action_value = kUsablePage;
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    ASSERT_EQ(combat().page(), kUsablePage);
    press(kKeyAction);
    ASSERT_TRUE(until_phase(Phase::kItemUsedUp) || until_phase(Phase::kMonsterActs));
    EXPECT_EQ(combat().tools().find(demo::kDraught), nullptr);
    ASSERT_TRUE(until_hero_input());
    EXPECT_EQ(combat().page(), kWeaponPage);
    ASSERT_NE(hero().current_item, nullptr);
    EXPECT_EQ(hero().current_item->item->id, demo::kKnife);
    EXPECT_EQ(combat().older_line() + combat().latest_line() == u"", false);
}

TEST_F(CombatTest, LeavingWithAnActionRunningLeavesNoActionOnTheDeletedSprites) {
    give_only({demo::kKnife});
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    press(kKeyAction);
    ASSERT_TRUE(until_phase(Phase::kHeroAction));
    tick(3);
    game().switch_state("Walking", 0);
    EXPECT_EQ(player().running_count(), 0);
    EXPECT_EQ(player().overlay(), nullptr);
    tick(30);  // nothing steps a deleted sprite (the sanitizers watch)
    // (On the map the demo game's start tells its story first.)
    close_story_page();
    EXPECT_EQ(screen_name(), "Walking");
}

// Against a monster that forbids flight: the hero's items, the page he
// acts from, and whether acting passes the turn (nothing he holds may be
// used) or leaves it to him with the refusal on the board; then whether he
// may flee all the same: only from a monster with nothing to strike with,
// which could not hold him, so that such a fight still ends.
struct ActWithoutUsableItemCase {
    const char* what;
    std::vector<uint32_t> items;
    int32_t page;
    int32_t bonus_strength;
    bool disarmed;  // the wisp carries nothing
    bool passes;
    const char16_t* line;
};

void PrintTo(const ActWithoutUsableItemCase& c, std::ostream* out) { *out << c.what; }

class ActWithoutUsableItemTest : public CombatTest, public ::testing::WithParamInterface<ActWithoutUsableItemCase> {};

TEST_P(ActWithoutUsableItemTest, ActingPassesTheTurnOnlyWhenNothingHeldMayBeUsed) {
    const ActWithoutUsableItemCase& c = GetParam();
    give_only({});
    for (uint32_t id : c.items) hero().add_item(id);
    hero().action_value = c.page;
    hero().knowledge_ = 0;  // below the Ember Twig's aim
    hero().bonus_strength = c.bonus_strength;  // a Draught of Vigour already drunk
    hero().hit_points = hero().max_hit_points = 500;
    MonsterActor& wisp = meet(demo::kWisp);
    if (c.disarmed) {
        wisp.inventory.clear();
        wisp.current_item = nullptr;
    }
    ASSERT_TRUE(until_hero_input());
    press(kKeyAction);
    EXPECT_EQ(combat().phase(), Phase::kHeroActs);
    tick();
    if (c.passes) {
        EXPECT_TRUE(until_phase(Phase::kMonsterActs));
    } else {
        EXPECT_EQ(combat().phase(), Phase::kHeroInput);
    }
    EXPECT_EQ(utf16_to_utf8(combat().latest_line()), utf16_to_utf8(c.line));

    ASSERT_TRUE(until_hero_input());
    press(kKeyButton4);
    if (c.disarmed) {
        EXPECT_GE(until_over(), 0);
        EXPECT_EQ(screen_name(), "Walking");
    } else {
        EXPECT_EQ(combat().phase(), Phase::kHeroInput);
        EXPECT_EQ(utf16_to_utf8(combat().latest_line()), "There's no place to hide!");
    }
}

INSTANTIATE_TEST_SUITE_P(
    NoFlight, ActWithoutUsableItemTest,
    ::testing::Values(
        ActWithoutUsableItemCase{"an empty pack", {}, kWeaponPage, 0, false, true, u""},
        ActWithoutUsableItemCase{"two draughts whose bonus is on", {demo::kDraught, demo::kDraught}, kUsablePage, 2,
                                 false, true, u"Can't use this item now!"},
        ActWithoutUsableItemCase{"a wand above his aim", {demo::kTwig}, kMagicPage, 0, false, true,
                                 u"Don't know how to use it! +1 AIM needed."},
        ActWithoutUsableItemCase{"a refused wand beside a tonic", {demo::kTwig, demo::kGreaterTonic}, kMagicPage, 0,
                                 false, false, u"Don't know how to use it! +1 AIM needed."},
        ActWithoutUsableItemCase{"refused draughts beside a knife", {demo::kDraught, demo::kKnife}, kUsablePage, 2,
                                 false, false, u"Can't use this item now!"},
        // Neither side can do a thing: the turns would pass for ever.
        ActWithoutUsableItemCase{"an empty pack against a wisp with nothing", {}, kWeaponPage, 0, true, true, u""},
        ActWithoutUsableItemCase{"a refused wand against a wisp with nothing", {demo::kTwig}, kMagicPage, 0, true,
                                 true, u"Don't know how to use it! +1 AIM needed."}));

TEST_F(CombatTest, AMonsterThatDrinksSaysSoAfterItsUseLine) {
    // A rat whose only item is a tonic drinks it and is healed up to its
    // maximum; the board's line says so after the item's own line.
    give_only({});
    MonsterActor& rat = meet(demo::kRat);
    rat.inventory.clear();
    rat.current_item = nullptr;
    rat.inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{world().get_item(demo::kGreaterTonic), 1}));
    rat.hit_points = rat.max_hit_points - 10;
    ASSERT_TRUE(attack_until([&] { return combat().phase() == Phase::kMonsterResult; }));
    EXPECT_EQ(rat.hit_points, rat.max_hit_points);
    const std::string line = utf16_to_utf8(combat().latest_line());
    const std::string said = " Briar Rat restores 10 HTH!";
    ASSERT_GT(line.size(), said.size()) << line;
    EXPECT_EQ(line.substr(line.size() - said.size()), said) << line;
}

TEST_F(CombatTest, APenDownOnTheArrowsScrollsTheCarousel) {
    give_only({demo::kKnife, demo::kCudgel});
    hero().action_value = kWeaponPage;
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    const InventoryEntry* first = hero().current_item;
    ASSERT_NE(first, nullptr);
    // The right arrow's button, then the left one's.
    screen()->on_pointer(kPenDown, 170, 280);
    screen()->on_pointer(kPenUp, 170, 280);
    EXPECT_NE(hero().current_item, first);
    screen()->on_pointer(kPenDown, 84, 280);
    screen()->on_pointer(kPenUp, 84, 280);
    EXPECT_EQ(hero().current_item, first);
}

TEST_F(CombatTest, AHeldArrowKeyScrollsAgainAfterFiftyFramesThenEveryTen) {
    give_only({demo::kKnife, demo::kCudgel, demo::kTwig});
    hero().action_value = kWeaponPage;
    hero().quick_items[0] = 0;
    meet(demo::kRat);
    ASSERT_TRUE(until_hero_input());
    screen()->on_key(kKeyPress, kKeyRight, 0);
    const InventoryEntry* after_one = hero().current_item;
    tick(50);
    EXPECT_EQ(hero().current_item, after_one);
    tick(1);
    EXPECT_NE(hero().current_item, after_one);
    screen()->on_key(kKeyRelease, kKeyRight, 0);
    const InventoryEntry* held = hero().current_item;
    tick(20);
    EXPECT_EQ(hero().current_item, held);
}

TEST_F(CombatTest, StoredIndexesScalesAndBackgroundsOutOfRangeAreTakenSafely) {
    struct Case {
        int32_t stored_index;
        int32_t max_hit_points;
        uint32_t background;
    };
    for (const Case& c : {Case{-7, 40, 1}, Case{12, 0, 9}, Case{-1, -5, 0xFFFFFFFF}}) {
        give_only({demo::kKnife, demo::kCudgel});
        hero().action_value = kWeaponPage;
        hero().quick_items[0] = c.stored_index;
        hero().max_hit_points = c.max_hit_points;
        hero().hit_points = 30;
        world().current_level()->combat_background = c.background;
        meet(demo::kRat);
        ASSERT_TRUE(until_hero_input()) << c.stored_index;
        ASSERT_NE(hero().current_item, nullptr) << c.stored_index;
        EXPECT_GE(hero().quick_items[0], 0);
        EXPECT_LT(hero().quick_items[0], 2);
        game().switch_state("Walking", 0);
    }
}

}  // namespace
