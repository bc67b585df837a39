// Every message and question box of the screens stands in the middle of the
// screen with its texts inside the box: the walking screen's health message
// and worn-out question, the inventory's drop question, and the save and
// load page's confirmation and messages.
#include <gtest/gtest.h>

#include <functional>

#include "engine/ui/ui_text.h"
#include "game/screens/game_io_state.h"
#include "game/screens/inventory_state.h"
#include "game/screens/menu_screen.h"
#include "game/screens/walking_state.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

class DialogPlacementTest : public ItemScreenTest {
protected:
    GameIOState& io() { return *static_cast<GameIOState*>(current()); }
    void open_io(uintptr_t argument) {
        g_app->game()->switch_state("GameIO", argument);
        tick(2);
        ASSERT_NE(io().page(), nullptr);
    }

    // The box's group covers the centred area, and each text of its page
    // lies within the box's width.
    static void expect_centred(const UiMenu* box, const std::string& what) {
        ASSERT_NE(box, nullptr) << what;
        const SpriteGroup& group = *box->group();
        const Rect area = centred_dialog_area({240, 320});
        EXPECT_EQ(area, (Rect{19, 107, 222, 213}));
        EXPECT_EQ(group.position(), (Point{area.left, area.top})) << what;
        EXPECT_EQ(group.size(), (Size{area.width(), area.height()})) << what;
        int32_t texts = 0;
        for (const auto& control : box->current()->controls()) {
            const auto* text = dynamic_cast<const UiText*>(control.get());
            if (!text || text->title.empty()) continue;
            ++texts;
            const Rect r = text->screen_rect();
            EXPECT_GE(r.left, 0) << what;
            EXPECT_LE(r.right, area.width()) << what << ": \"" << utf16_to_utf8(text->title) << "\"";
        }
        EXPECT_GT(texts, 0) << what;
    }
};

TEST_F(DialogPlacementTest, MessagesAndQuestionsStandCentredWithTheirTextsInside) {
    start_game();
    struct Case {
        const char* what;
        std::function<const UiMenu*()> open;
    };
    const Case cases[] = {
        {"the health restored after a night",
         [&] {
             g_app->game()->switch_state("Walking", WalkingState::kEnterAfterSleep);
             return static_cast<WalkingState*>(current())->message();
         }},
        {"the worn-out armour's question",
         [&] {
             g_app->settings.auto_equip = false;
             hero().armour_lost = true;
             g_app->game()->switch_state("Walking", 0);
             return static_cast<WalkingState*>(current())->message();
         }},
        {"the inventory's drop question",
         [&] {
             carry_nothing();
             carry("Minor Tonic");
             g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
             tick(33);
             key(kKeyButton2);
             return static_cast<InventoryState*>(current())->dialog();
         }},
        {"\"Game Saved.\"",
         [&] {
             open_io(1);
             tap_control(*io().page(), u"SLOT1");
             return io().dialog();
         }},
        {"the question before a used slot is overwritten",
         [&] {
             open_io(1);
             tap_control(*io().page(), u"SLOT1");
             return io().dialog();
         }},
        {"\"Loading..\"",
         [&] {
             open_io(0);
             tap_control(*io().page(), u"SLOT1");
             return io().dialog();
         }},
    };
    for (const Case& c : cases) expect_centred(c.open(), c.what);
}

}  // namespace
