// A flight and a death played by an input script (fights/flight_and_death
// .input) in the program itself, on a story of their own (fights/fen.story,
// compiled here): the hero flees the Mire Toad, whose parting blow and the
// gold he drops on the run are checked with his hit points, experience and
// items, then falls to the Barrow Ogre, whom he cannot flee; the funeral
// page is compared with its golden picture and the dead hero's state is
// checked as the fight hands him on.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/ui/ui_menu.h"
#include "game/combat/combat_state.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/map_level.h"
#include "game/world/monster_actor.h"
#include "tests/support/scripted_program.h"

namespace {

const std::string kFights = NIMBREL_SOURCE_DIR "/tests/game/combat/fights/";
constexpr uint32_t kTonic = 0x4301;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FightScriptTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_story_program("fen.story", read_text(kFights + "fen.story"), read_text(kFights + "story.txt"),
                            kFights + "flight_and_death.input", 5);
    }

    const CombatState* fight() { return dynamic_cast<const CombatState*>(g_app->game()->current_state()); }
    std::string opponent() { return fight() && fight()->monster() ? fight()->monster()->record()->name : ""; }
    std::string board() { return fight() ? utf16_to_utf8(fight()->latest_line()) : ""; }
    bool waiting_for_the_player() {
        return fight() && fight()->phase() == CombatState::kHeroInput && fight()->input_enabled();
    }
    int32_t tonic_uses() {
        for (const auto& entry : hero().inventory)
            if (entry->item && entry->item->id == kTonic) return entry->uses;
        return 0;
    }
};

TEST_F(FightScriptTest, TheHeroFleesTheToadThenFallsToTheOgre) {
    play_until(3500);
    ASSERT_EQ(screen(), "Walking");
    ASSERT_EQ(hero().max_hit_points, 40);
    EXPECT_EQ(hero().hit_points, 40);
    EXPECT_EQ(hero().gold, 200);
    EXPECT_EQ(tonic_uses(), 10);
    const size_t items = hero().inventory.size();

    // The toad came up; the hero has the first turn and flees (F4). The
    // toad's parting blow lands first; then, away, he drops a quarter of
    // his gold: the board tells both in that order.
    play_until(4300);
    ASSERT_EQ(opponent(), "Mire Toad");
    ASSERT_TRUE(waiting_for_the_player());
    play_until(4500);
    ASSERT_TRUE(fight());
    EXPECT_TRUE(fight()->parting_attack_done());
    play_until(4800);
    EXPECT_EQ(board(), "The Mire Toad lashes out with its tongue! 5 damage!");
    EXPECT_EQ(fight()->result().damage, 5);
    EXPECT_EQ(hero().hit_points, 35);
    EXPECT_EQ(hero().gold, 200);
    play_until(5000);
    EXPECT_EQ(board(), "Tolvanek escapes, but drops 50 gold!");
    EXPECT_EQ(utf16_to_utf8(fight()->older_line()), "The Mire Toad lashes out with its tongue! 5 damage!");
    EXPECT_EQ(hero().gold, 150);

    // Back on the map without the toad; AutoHeal drank one tonic (35 + 8,
    // no more than the maximum). The flight earned nothing.
    play_until(6300);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(g_app->game()->screen_subjects.opponent, nullptr);
    for (const auto& actor : world().current_level()->extra_actors) {
        const auto* monster = dynamic_cast<const MonsterActor*>(actor.get());
        EXPECT_FALSE(monster && monster->record()->name == "Mire Toad");
    }
    EXPECT_EQ(hero().hit_points, 40);
    EXPECT_EQ(tonic_uses(), 9);
    EXPECT_EQ(hero().inventory.size(), items);
    EXPECT_EQ(hero().gold, 150);
    EXPECT_EQ(hero().experience, 40);

    // East to the ogre, who forbids flight: F4 is answered, the turn kept.
    play_until(14600);
    ASSERT_EQ(opponent(), "Barrow Ogre");
    ASSERT_TRUE(waiting_for_the_player());
    const std::string autosave = folder + "/savegame/save6.dat";
    const std::string saved_alive = read_text(autosave);
    play_until(14900);
    EXPECT_EQ(board(), "There's no place to hide!");
    EXPECT_TRUE(waiting_for_the_player());

    // The cudgel's blow (Enter), then the maul's: the funeral.
    play_until(16800);
    ASSERT_TRUE(fight());
    EXPECT_LE(hero().hit_points, 0);
    EXPECT_EQ(fight()->phase(), CombatState::kCountedWait);
    EXPECT_EQ(fight()->next_phase(), CombatState::kGameOver);
    ASSERT_NE(fight()->menu(), nullptr);
    ASSERT_NE(fight()->menu()->current(), nullptr);
    EXPECT_EQ(fight()->menu()->current()->name(), u"FUNERAL");
    EXPECT_EQ(board(), "Tolvanek, you died!");
    play_until(17840);
    expect_golden_screen(host.front_buffer(), "fight_funeral");

    // The wait runs out: the fight hands the dead hero on as he fell. He
    // drank nothing (a revived hero would be saved to be continued), and
    // the automatic save still holds him alive.
    testing::internal::CaptureStderr();
    while (fight() && host.program_time() < 21500) play_until(host.program_time() + 12);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string next = screen();
    EXPECT_TRUE(next == "EndOfGame" || next == "GameIO") << next;
    EXPECT_EQ(said.find("staying on"), std::string::npos) << said;
    EXPECT_LE(hero().hit_points, 0);
    EXPECT_EQ(tonic_uses(), 9);
    EXPECT_EQ(hero().inventory.size(), items);
    EXPECT_EQ(hero().gold, 150);
    EXPECT_EQ(hero().experience, 40);
    EXPECT_EQ(read_text(autosave), saved_alive);
}

}  // namespace
