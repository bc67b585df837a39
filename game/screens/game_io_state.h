// The save and load screen ("GameIO"): seven slots with their place, play
// time, level and difficulty, six of them the player's and the seventh the
// automatic save. Loading reads the slot's game; saving writes the game
// into a slot (asking first before one in use is overwritten) and tells
// whether the write succeeded. Taps act on pen down, keys on key down.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/core/geometry.h"
#include "game/screens/menu_screen.h"
#include "game/session/game_screen_state.h"
#include "game/story/slot_index.h"

class FadeLayer;
class UiMenu;

class GameIOState : public GameScreenState {
public:
    enum Mode : int32_t { kLoadMode = 0, kSaveMode = 10 };
    enum Phase : int32_t {
        kChoosingLoad = 0,
        kConfirming = 1,
        kChoosingSave = 10,
        kMessage = 15,
        kLoading = 18,
        kOpening = 20,
        kClosing = 25,
    };
    static constexpr int32_t kDarkLevel = 22;
    static constexpr int32_t kLoadDelayTicks = 5;
    static constexpr int32_t kMessageTicks = 50;

    GameIOState();
    ~GameIOState() override;

    // 1 opens the save page, anything else the load page.
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    int32_t mode() const { return mode_; }
    int32_t phase() const { return phase_; }
    const SlotList& slots() const { return slots_; }
    UiMenu* page() const { return page_.get(); }
    // The confirmation or the message, while one is shown.
    UiMenu* dialog() const { return dialog_.get(); }
    bool opened_from_menu() const { return from_menu_; }

private:
    void open_page();
    void show_slots();
    void on_command(const std::u16string& command);
    void choose_slot(int slot);
    void confirm(int slot);
    void save_to_slot(int slot);
    void load_slot();
    void show_message(std::u16string_view text, bool back_to_choosing);
    void open_dialog(std::u16string_view path, std::u16string_view text_control, std::u16string_view text);
    void start_closing(bool to_menu);
    void finish_closing();
    UiMenu* input_menu() const;

    int32_t mode_ = kLoadMode;
    int32_t phase_ = kOpening;
    int32_t pending_phase_ = kChoosingSave;
    int32_t pending_slot_ = -1;
    int32_t load_slot_ = -1;
    int32_t countdown_ = 0;
    bool darkened_ = false;          // opening: the first tick darkened the map
    bool message_returns_ = false;   // the message ends in choosing again, not in closing
    bool close_to_menu_ = false;
    bool from_menu_ = false;
    SlotList slots_;
    MenuPage page_;
    MenuPage dialog_;
    FadeLayer* darkening_ = nullptr;
};

// The slot a "*SLOTn" command names (0-based), or nothing: n must be 1..7
// when loading and 1..6 when saving (the seventh slot is the automatic
// save's), written in digits only.
std::optional<int> slot_of_command(std::u16string_view command, int32_t mode);
