#include "game/screens/game_io_state.h"

#include "engine/files/atomic_file.h"
#include "engine/ui/ui_button.h"
#include "engine/ui/ui_text.h"
#include "game/screens/main_menu_state.h"
#include "game/story/item_record.h"
#include "game/world/map_level.h"
#include "tests/game/screens/menu_screen_support.h"

namespace {

// A slot save writes its file, then the index. The fault lets the first
// file through and refuses one step of the second (the index's).
int g_files_written = 0;
AtomicWriteStep g_refused_index_step = AtomicWriteStep::rename;
bool refuse_a_step_of_the_index(AtomicWriteStep step) {
    if (step == AtomicWriteStep::create) ++g_files_written;
    return g_files_written == 2 && step == g_refused_index_step;
}

class GameIOTest : public MenuScreenTest {
protected:
    void TearDown() override {
        set_atomic_write_fault(nullptr);
        MenuScreenTest::TearDown();
    }
    GameIOState& io() { return *static_cast<GameIOState*>(current()); }

    // The save or load page, as the walk HUD or the end of a game opens it.
    void open(uintptr_t argument) {
        g_app->game()->switch_state("GameIO", argument);
        ASSERT_EQ(current_name(), "GameIO");
        tick(2);
        ASSERT_NE(io().page(), nullptr);
    }
    std::u16string slot_text(int number) {
        const auto* slot = dynamic_cast<const UiButton*>(
            io().page()->find_control(u"SLOT" + std::u16string(1, char16_t(u'0' + number))));
        return slot && slot->title ? *slot->title : std::u16string();
    }
    // The caption of the game in play, as a slot holding it shows it.
    std::u16string caption_of_the_game_in_play() {
        SaveSlot slot;
        slot.place = narrow_to_wide_signed(world().hero().level->map->region->name);
        slot.level_text = u"Level " + narrow_to_wide(std::to_string(world().hero().level_number));
        slot.play_time = world().play_time;
        slot.difficulty = world().difficulty;
        return slot_caption(slot);
    }
    void tap_slot(int number) { tap_control(*io().page(), u"SLOT" + std::u16string(1, char16_t(u'0' + number))); }
    std::u16string dialog_text(std::u16string_view control) {
        UiControl* c = io().dialog() ? io().dialog()->find_control(control) : nullptr;
        return c ? static_cast<UiText*>(c)->title : std::u16string();
    }
    std::string hero_state() {
        const HeroActor& h = world().hero();
        return std::to_string(world().current_level_id()) + "@" + std::to_string(h.x) + "," + std::to_string(h.y) +
               " gold " + std::to_string(h.gold) + " items " + std::to_string(h.inventory.size());
    }
    void move_hero_and_gain() {
        HeroActor& h = world().hero();
        world().move_hero(world().current_level_id(), h.x + 64, h.y + 32, h.facing);
        h.gold += 17;
        ASSERT_FALSE(world().item_groups.empty());
        ASSERT_FALSE(world().item_groups.front()->items.empty());
        h.add_item(world().item_groups.front()->items.front()->id);
    }
    // Saves into an empty slot of the save page and lets the message end.
    void save_into(int number) {
        open(1);
        tap_slot(number);
        ASSERT_EQ(io().phase(), GameIOState::kMessage);
        ASSERT_EQ(dialog_text(u"message"), u"Game Saved.");
        tick(GameIOState::kMessageTicks + 12);
    }
};

TEST_F(GameIOTest, SavingIntoASlotWritesItsFileThenTheIndexWithTheAutomaticSlotLast) {
    start_game();
    write_file(save_file("autoio.ini"), "[savedata]\r\ndata = 9000, \"Vale\", \"Autosave!\", 2\r\n");
    world().play_time = 3725000;
    world().difficulty = 0;
    open(1);
    EXPECT_EQ(io().mode(), GameIOState::kSaveMode);
    tap_slot(4);
    EXPECT_EQ(dialog_text(u"message"), u"Game Saved.");
    EXPECT_TRUE(std::filesystem::exists(save_file("save3.dat")));
    const std::string index = read_file(save_file("io.ini"));
    const MapLevel* level = world().hero().level;
    ASSERT_NE(level, nullptr);
    const std::string line4 = "data = 3725000, \"" + level->map->region->name + "\", \"Level " +
                              std::to_string(world().hero().level_number) + "\", 0\r\n";
    EXPECT_EQ(index,
              "[savedata]\r\n"
              "data = 0, \"\", \"\", 1\r\ndata = 0, \"\", \"\", 1\r\ndata = 0, \"\", \"\", 1\r\n" + line4 +
                  "data = 0, \"\", \"\", 1\r\ndata = 0, \"\", \"\", 1\r\n"
                  "data = 9000, \"Vale\", \"Autosave!\", 2\r\n");
    EXPECT_TRUE(world().saves_exist);
    EXPECT_EQ(io().slots()[3].play_time, 3725000u);

    // After the message the screen closes; opened from the map, the game
    // goes on walking.
    tick(GameIOState::kMessageTicks);
    EXPECT_EQ(io().phase(), GameIOState::kClosing);
    tick(12);
    EXPECT_EQ(current_name(), "Walking");
    EXPECT_TRUE(world().saving_allowed);
}

TEST_F(GameIOTest, AUsedSlotAsksFirstAndNoKeepsEveryByte) {
    start_game();
    save_into(2);
    const std::string saved = read_file(save_file("save1.dat"));
    const std::string index = read_file(save_file("io.ini"));
    move_hero_and_gain();

    open(1);
    tap_slot(2);
    ASSERT_EQ(io().phase(), GameIOState::kConfirming);
    EXPECT_EQ(dialog_text(u"question"), u"Data will be overwritten.\nAre you sure?");
    tap_slot(3);  // the page under the question takes no taps
    EXPECT_EQ(io().phase(), GameIOState::kConfirming);
    tap_control(*io().dialog(), u"NO");
    EXPECT_EQ(io().phase(), GameIOState::kChoosingSave);
    EXPECT_EQ(read_file(save_file("save1.dat")), saved);
    EXPECT_EQ(read_file(save_file("io.ini")), index);

    tap_slot(2);
    tap_control(*io().dialog(), u"YES");
    EXPECT_EQ(dialog_text(u"message"), u"Game Saved.");
    EXPECT_NE(read_file(save_file("save1.dat")), saved);
}

TEST_F(GameIOTest, AFailedSaveSaysSoAndKeepsFileIndexAndSlot) {
    start_game();
    save_into(1);
    const std::string saved = read_file(save_file("save0.dat"));
    const std::string index = read_file(save_file("io.ini"));
    move_hero_and_gain();

    open(1);
    const SaveSlot before = io().slots()[0];
    // Nothing can be written where the save folder should be.
    const std::string saves = world().save_folder;
    world().save_folder = folder + "/savegame/save0.dat/blocked";
    tap_slot(1);
    testing::internal::CaptureStderr();
    tap_control(*io().dialog(), u"YES");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dialog_text(u"message"), u"Save failed.");
    // The reason is named: the folder the file should go in is a file.
    EXPECT_NE(said.find("saving into slot 1 failed: "), std::string::npos) << said;
    EXPECT_NE(said.find("save0.dat: Not a directory"), std::string::npos) << said;
    world().save_folder = saves;
    EXPECT_EQ(read_file(save_file("save0.dat")), saved);
    EXPECT_EQ(read_file(save_file("io.ini")), index);
    EXPECT_EQ(io().slots()[0].play_time, before.play_time);
    // Back to choosing after the message, not closed.
    tick(GameIOState::kMessageTicks);
    EXPECT_EQ(io().phase(), GameIOState::kChoosingSave);
    EXPECT_EQ(io().dialog(), nullptr);
}

// The slot list and loading read each slot's own file, so a save whose
// file is whole is made even when the index behind it cannot be written:
// the page says so, stderr names the index and why it was not written, and
// the slot, the load page and loading all give the new game.
TEST_F(GameIOTest, ASaveWhoseIndexCannotBeWrittenIsMadeAndStderrNamesTheIndex) {
    struct Row {
        AtomicWriteStep refused;  // of the index's write
        bool older_game;          // the slot held a game before
    };
    const Row rows[] = {{AtomicWriteStep::create, false},
                        {AtomicWriteStep::write, true},
                        {AtomicWriteStep::rename, false},
                        {AtomicWriteStep::rename, true}};
    start_game();
    ASSERT_NE(world().hero().level, nullptr);
    for (int number = 1; number <= 4; ++number) {
        const Row& row = rows[number - 1];
        SCOPED_TRACE(number);
        world().play_time = 1000000 + uint32_t(number);
        world().hero().level_number = 2;
        if (row.older_game) save_into(number);
        const std::string index = read_file(save_file("io.ini"));
        world().play_time = 3725000 + 1000 * uint32_t(number);
        world().hero().level_number = 3 + number;
        world().difficulty = number % 3;
        const uint32_t new_time = world().play_time;
        const std::u16string new_caption = caption_of_the_game_in_play();

        open(1);
        g_files_written = 0;
        g_refused_index_step = row.refused;
        set_atomic_write_fault(refuse_a_step_of_the_index);
        testing::internal::CaptureStderr();
        tap_slot(number);
        if (row.older_game) tap_control(*io().dialog(), u"YES");
        const std::string said = testing::internal::GetCapturedStderr();
        set_atomic_write_fault(nullptr);
        EXPECT_EQ(dialog_text(u"message"), u"Game Saved.");
        const std::string file = "save" + std::to_string(number - 1) + ".dat";
        EXPECT_NE(said.find("slot " + std::to_string(number) + " is saved in " + file), std::string::npos) << said;
        EXPECT_NE(said.find("io.ini could not be written: Input/output error"), std::string::npos) << said;
        EXPECT_EQ(read_file(save_file("io.ini")), index);  // the old index stays whole
        EXPECT_EQ(slot_text(number), new_caption);
        EXPECT_TRUE(world().saves_exist);
        tick(GameIOState::kMessageTicks + 12);

        // Opened afresh, the load page shows the new game, and loading gives it.
        open(0);
        EXPECT_EQ(slot_text(number), new_caption);
        tap_slot(number);
        tick(GameIOState::kLoadDelayTicks);
        EXPECT_EQ(world().play_time, new_time);
        tick(GameIOState::kMessageTicks + 12);
    }
}

TEST_F(GameIOTest, LoadingASlotBringsBackPlaceGoldAndItemsAndReturnsToTheMenu) {
    start_game();
    save_into(1);
    const std::string saved_state = hero_state();
    move_hero_and_gain();
    ASSERT_NE(hero_state(), saved_state);
    g_app->game()->actions().push(nullptr);
    g_app->resumable = false;

    // From the main menu's LOAD entry.
    g_app->game()->switch_state("Menu", 1);
    tap_control(*static_cast<MainMenuState*>(current())->menu(), u"LOAD");
    ASSERT_EQ(current_name(), "GameIO");
    tick(2);
    EXPECT_TRUE(io().opened_from_menu());
    tap_slot(1);
    EXPECT_EQ(io().phase(), GameIOState::kLoading);
    EXPECT_EQ(dialog_text(u"message"), u"Loading..");
    tick(GameIOState::kLoadDelayTicks);
    EXPECT_EQ(hero_state(), saved_state);
    // The player sees that it was loaded before the menu comes back.
    EXPECT_EQ(dialog_text(u"message"), u"Game Loaded.");
    EXPECT_TRUE(g_app->game()->actions().empty());
    EXPECT_TRUE(g_app->resumable);
    tick(GameIOState::kMessageTicks + 12);
    EXPECT_EQ(current_name(), "Menu");
    // The loaded game can be continued.
    EXPECT_NE(static_cast<MainMenuState*>(current())->menu()->find_control(u"CONT")->enabled, 0);
}

TEST_F(GameIOTest, ABrokenSaveSaysLoadFailedAndLeavesTheGameAsItWas) {
    start_game();
    save_into(1);
    save_into(2);
    const std::string good = read_file(save_file("save0.dat"));
    write_file(save_file("save0.dat"), good.substr(0, good.size() / 2));
    write_file(save_file("save1.dat"), "#garbage that is no save game at all");
    move_hero_and_gain();
    const std::vector<uint8_t> before = world().save_state_bytes();

    open(0);
    for (int slot : {1, 2}) {
        tap_slot(slot);
        tick(GameIOState::kLoadDelayTicks);
        EXPECT_EQ(dialog_text(u"message"), u"Load failed.");
        EXPECT_EQ(world().save_state_bytes(), before);
        tick(GameIOState::kMessageTicks);
        EXPECT_EQ(io().phase(), GameIOState::kChoosingLoad);
    }
}

TEST_F(GameIOTest, EmptySlotsBadCommandsAndInputOutsideThePageAreIgnored) {
    start_game();
    g_app->game()->switch_state("GameIO", 0);
    // Opening: no page yet; taps and keys reach nothing.
    tap({20, 70});
    key(kKeyAction);
    EXPECT_EQ(io().phase(), GameIOState::kOpening);
    tick(2);
    ASSERT_EQ(io().phase(), GameIOState::kChoosingLoad);
    tap_slot(1);  // empty
    EXPECT_EQ(io().phase(), GameIOState::kChoosingLoad);
    EXPECT_EQ(io().dialog(), nullptr);

    // Cancel closes; while closing nothing is taken.
    tap_control(*io().page(), u"CANCEL");
    EXPECT_EQ(io().phase(), GameIOState::kClosing);
    tap({20, 70});
    key(kKeyDown);
    tick(1);
    EXPECT_EQ(io().page(), nullptr);
    tick(12);
    EXPECT_EQ(current_name(), "Menu");
}

TEST_F(GameIOTest, KeysChooseSlotsToo) {
    start_game();
    open(1);
    key(kKeyDown);   // the first key shows the focus on the first slot
    key(kKeyAction);
    EXPECT_EQ(dialog_text(u"message"), u"Game Saved.");
    EXPECT_TRUE(std::filesystem::exists(save_file("save0.dat")));
}

TEST(GameIOCommands, SlotCommandsNameOnlyExistingSlots) {
    EXPECT_EQ(slot_of_command(u"*SLOT1", GameIOState::kLoadMode), 0);
    EXPECT_EQ(slot_of_command(u"*SLOT7", GameIOState::kLoadMode), 6);
    EXPECT_EQ(slot_of_command(u"*SLOT6", GameIOState::kSaveMode), 5);
    // The seventh slot belongs to the automatic save.
    EXPECT_EQ(slot_of_command(u"*SLOT7", GameIOState::kSaveMode), std::nullopt);
    for (std::u16string_view bad : {u"*SLOT0", u"*SLOT8", u"*SLOTx", u"*SLOT", u"*SLOT1a", u"*SLOT-1", u"*SLOT99999"})
        EXPECT_EQ(slot_of_command(bad, GameIOState::kLoadMode), std::nullopt);
}

}  // namespace
