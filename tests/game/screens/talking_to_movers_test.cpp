// People who do not stand still can be talked to with the action key, as a
// player would: a pacer stops and turns to the hero who comes up to her, a
// companion who steps back from a hero too close is caught up with, and a
// shy girl who steps away is cornered. Played through the program's own
// message loop by the committed scripts talk_pacing.input and
// talk_yard.input on the demo data.
#include <string>

#include "game/story/npc_record.h"
#include "game/world/map_level.h"
#include "game/world/npc_actor.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kIvy = 0x2005;

class TalkingToMoversTest : public ScriptedProgramTest {
protected:
    std::string partner() {
        const auto& person = g_app->game()->screen_subjects.talk_partner;
        return screen() == "Talking" && person ? person->name : "";
    }
    const Actor* actor_of(uint32_t npc_id) {
        for (Actor* actor : world().current_level()->actors) {
            const auto* person = static_cast<const NpcActor*>(actor);
            if (person->record() && person->record()->id == npc_id) return actor;
        }
        return nullptr;
    }
};

TEST_F(TalkingToMoversTest, APacerStopsBesideTheHeroAndTalks) {
    start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/talk_pacing.input", 11);
    play_until(3000);
    ASSERT_EQ(screen(), "Walking");
    const Actor* ivy = actor_of(kIvy);
    ASSERT_NE(ivy, nullptr);
    ASSERT_EQ(ivy->behaviour, 2);
    // Pacing while the hero is far off.
    const int32_t far_x = ivy->x;
    play_until(3500);
    EXPECT_NE(ivy->x, far_x);

    // The hero beside her: she stands still, facing him.
    play_until(6400);
    const int32_t near_x = ivy->x;
    play_until(6900);
    EXPECT_EQ(ivy->x, near_x);
    play_until(7500);
    EXPECT_EQ(partner(), "Ivy Tamsel");
}

TEST_F(TalkingToMoversTest, ACompanionAndAShyGirlAreCaughtAndTalk) {
    start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/talk_yard.input", 11);
    play_until(11500);
    ASSERT_EQ(world().current_level()->name, "Kettle Yard");
    play_until(15950);
    EXPECT_EQ(partner(), "Pip");
    play_until(17400);
    EXPECT_EQ(screen(), "Walking");
    play_until(20300);
    EXPECT_EQ(partner(), "Wren Colley");
}

}  // namespace
