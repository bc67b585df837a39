// The title and pause menu ("Menu"): continue, new game with a choice of
// difficulty, load, save, the settings page, the about pages and the end of
// the program, drawn over a darkened map. Input is focus style: the pen
// focuses what it touches and acts when lifted, keys act when released.
#pragma once

#include <cstdint>
#include <string>

#include "game/screens/menu_screen.h"
#include "game/session/game_screen_state.h"

class FadeLayer;
class UiMenu;

class MainMenuState : public GameScreenState {
public:
    enum Mode : int32_t { kMain = 0, kContinue = 1, kNewGame = 2, kLoad = 3, kSave = 4, kAbout = 6 };
    static constexpr int32_t kAboutPages = 8;
    static constexpr int32_t kAboutTicks = 400;
    static constexpr int32_t kBackdropLevel = 24;

    MainMenuState();
    ~MainMenuState() override;

    // 0 when the game starts (the backdrop darkens slowly), else opened from
    // the map (dark at once).
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    int32_t mode() const { return mode_; }
    bool leaving() const { return leaving_; }
    UiMenu* menu() const { return menu_.get(); }
    UiMenu* difficulty_menu() const { return difficulty_.get(); }
    int32_t backdrop_level() const;

private:
    void draw_menu();
    void update_enabled_entries();
    void run_command(const std::u16string& command);
    void difficulty_command(const std::u16string& command);
    void open_difficulty_page();
    void start_new_game(int32_t difficulty);
    void show_about(int32_t page);
    void back_to_main();
    void apply_settings();
    void end_settings();
    void leave_to_game();

    bool leaving_ = false;
    int32_t mode_ = kMain;
    int32_t about_page_ = 1;
    int32_t about_countdown_ = kAboutTicks;
    MenuPage menu_;
    MenuPage difficulty_;
    FadeLayer* backdrop_ = nullptr;  // on the map layer while entered
};

// Whether the LOAD entry has something to load: a slot index with a saved
// slot, an automatic save to resume, or an automatic slot whose save exists.
bool any_saved_game(World& world);
