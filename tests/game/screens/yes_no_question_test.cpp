// Every Yes/No question of the screens answers both ways by keys: the
// inventory's drop question, the save page's question before a used slot is
// overwritten, and the map's question about worn-out gear. The first key
// only puts the focus on "No", which is drawn focused; Up and Down move
// between the answers; Enter answers the one in focus.
#include <gtest/gtest.h>

#include <functional>

#include "game/screens/game_io_state.h"
#include "game/screens/inventory_state.h"
#include "game/screens/walking_state.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

class YesNoQuestionTest : public ItemScreenTest {
protected:
    struct Question {
        const char* what;
        std::function<void()> open;           // opens the question afresh
        std::function<const UiMenu*()> page;  // the question's page, null once closed
        std::function<bool()> answered_yes;   // what Yes does happened
    };

    GameIOState& io() { return *static_cast<GameIOState*>(current()); }
    void open_io(uintptr_t argument) {
        g_app->game()->switch_state("GameIO", argument);
        tick(2);
        ASSERT_NE(io().page(), nullptr);
    }
    // The name of the control the question's page has in focus, and whether
    // that control is drawn as focused.
    static std::u16string focused(const UiMenu* page) {
        const UiControl* control = page && page->current() ? page->current()->focused_control() : nullptr;
        return control && control->focused && control->object_name ? *control->object_name : u"";
    }

    std::vector<Question> questions() {
        return {
            {"the drop question",
             [&] {
                 if (count_of("Minor Tonic") == 0) carry("Minor Tonic");  // the only usable item
                 g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
                 tick(33);
                 key(kKeyButton2);
             },
             [&] { return current_name() == "Inventory" ? static_cast<InventoryState*>(current())->dialog() : nullptr; },
             [&] { return count_of("Minor Tonic") == 0; }},
            {"the question before a used slot is overwritten",
             [&] {
                 open_io(1);
                 if (io().slots()[0].empty()) {
                     tap_control(*io().page(), u"SLOT1");  // saved at once
                     open_io(1);
                 }
                 tap_control(*io().page(), u"SLOT1");
             },
             [&] { return current_name() == "GameIO" && io().phase() == GameIOState::kConfirming ? io().dialog() : nullptr; },
             [&] { return current_name() == "GameIO" && io().phase() == GameIOState::kMessage; }},
            {"the worn-out gear's question",
             [&] {
                 g_app->settings.auto_equip = false;
                 hero().armour_lost = true;
                 g_app->game()->switch_state("Walking", 0);
             },
             [&] { return current_name() == "Walking" ? static_cast<WalkingState*>(current())->message() : nullptr; },
             [&] { return current_name() == "Inventory"; }},
        };
    }
};

TEST_F(YesNoQuestionTest, TheFirstKeyFocusesNoAndBothAnswersAreReachedByKeys) {
    start_game();
    carry_nothing();
    for (const Question& q : questions()) {
        SCOPED_TRACE(q.what);
        // Down focuses "No", Enter answers it: nothing changes.
        q.open();
        ASSERT_NE(q.page(), nullptr);
        EXPECT_EQ(focused(q.page()), u"");
        key(kKeyDown);
        EXPECT_EQ(focused(q.page()), u"NO");
        key(kKeyAction);
        EXPECT_EQ(q.page(), nullptr);
        EXPECT_FALSE(q.answered_yes());

        // Down again moves to "Yes", Up back to "No", Down to "Yes".
        q.open();
        ASSERT_NE(q.page(), nullptr);
        key(kKeyDown);
        key(kKeyDown);
        EXPECT_EQ(focused(q.page()), u"YES");
        key(kKeyUp);
        EXPECT_EQ(focused(q.page()), u"NO");
        key(kKeyDown);
        key(kKeyAction);
        EXPECT_EQ(q.page(), nullptr);
        EXPECT_TRUE(q.answered_yes());
    }
}

// Whichever key comes first, it answers nothing: Enter, the first
// application button and the sideways keys only show the focus on "No".
TEST_F(YesNoQuestionTest, NoFirstKeyAnswersYes) {
    start_game();
    carry_nothing();
    const uint32_t first_keys[] = {kKeyAction, kKeyButton1, kKeyLeft, kKeyRight};
    for (const Question& q : questions()) {
        for (uint32_t first : first_keys) {
            SCOPED_TRACE(std::string(q.what) + ", first key " + std::to_string(first));
            q.open();
            ASSERT_NE(q.page(), nullptr);
            key(first);
            ASSERT_NE(q.page(), nullptr);
            EXPECT_EQ(focused(q.page()), u"NO");
            EXPECT_FALSE(q.answered_yes());
            key(kKeyAction);  // answers the "No" in focus
            EXPECT_EQ(q.page(), nullptr);
            EXPECT_FALSE(q.answered_yes());
        }
    }
}

}  // namespace
