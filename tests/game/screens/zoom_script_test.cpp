// The zoomed map in the program itself: a new game on the wide levels'
// story (zoom_levels.h), F3 on the walking map, the zoomed Broad Fields
// (golden) and the way back, played by an input script
// (scripts/zoom_fields.input).
#include <gtest/gtest.h>

#include "engine/graphics/sprite_group.h"
#include "game/screens/zoom_state.h"
#include "tests/game/screens/zoom_levels.h"
#include "tests/support/scripted_program.h"

namespace {

class ZoomScriptTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_story_program("zoom story", zoom_story::source(), zoom_story::kStartConfig,
                            NIMBREL_SOURCE_DIR "/tests/game/screens/scripts/zoom_fields.input", 5);
    }
    const ZoomState* zoom() { return dynamic_cast<const ZoomState*>(g_app->game()->current_state()); }
};

TEST_F(ZoomScriptTest, F3ShowsTheWholeFieldsAndEnterGoesBack) {
    play_until(2900);
    ASSERT_EQ(screen(), "Walking");
    ASSERT_EQ(world().current_level_id(), zoom_story::kFields);
    const Point at = hero().position();

    play_until(3100);
    ASSERT_NE(zoom(), nullptr);
    EXPECT_EQ(zoom()->phase(), ZoomState::kBubbleIn);
    while (zoom() && zoom()->phase() != ZoomState::kShowing && host.program_time() < 4400)
        play_until(host.program_time() + 12);
    ASSERT_NE(zoom(), nullptr);
    ASSERT_EQ(zoom()->phase(), ZoomState::kShowing);
    EXPECT_EQ(zoom()->layout().divisor, 6);
    EXPECT_EQ((Size{zoom()->map_picture()->frame_width, zoom()->map_picture()->frame_height}), (Size{213, 160}));
    // Early in the blink, while the marker is at its brightest.
    play_until(3900);
    expect_golden_screen(host.front_buffer(), "zoom_fields");

    play_until(4700);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(hero().position(), at);
    EXPECT_TRUE(g_app->game()->ground_group()->is_visible());
    EXPECT_TRUE(g_app->game()->object_group()->is_visible());
}

}  // namespace
