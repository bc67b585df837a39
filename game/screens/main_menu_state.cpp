#include "game/screens/main_menu_state.h"

#include <algorithm>
#include <cstdio>

#include "engine/app/shell.h"
#include "engine/core/program_names.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/platform/platform.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/menu_screen.h"
#include "game/session/game.h"
#include "game/story/slot_index.h"
#include "game/session/story_module.h"
#include "game/sound/sound_manager.h"
#include "game/story/story_file_io.h"
#include "game/world/hero_actor.h"

namespace {

constexpr uint32_t kBackdropDepth = 1000;
constexpr uint32_t kMenuDepth = 1002;
constexpr uint32_t kDifficultyDepth = 11002;
constexpr int32_t kFadeStep = 2;
constexpr uint32_t kMenuSpriteFlags = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kPurgeBelowMb = 6;
// Where the difficulty page stands over the main page: its edges fall in
// the gaps between the entries, so that it covers each wholly or not at all.
constexpr Rect kDifficultyArea{20, 92, 220, 232};

// Tells the player that what was asked for failed: a message box with the
// window's caption (recorded by the headless back end) and a line on stderr.
void show_failure_notice(const std::string& text) {
    std::fprintf(stderr, "tarrowind: %s\n", text.c_str());
    if (has_platform()) platform().message_box(text, program_names().caption, 0);
}

int32_t clamp_step(int32_t value) { return std::clamp(value, 0, GameSettings::kMaxVolumeStep); }
int32_t clamp_flag(int32_t value) { return value != 0 ? 1 : 0; }

void set_enabled(UiMenu& menu, std::u16string_view name, bool enabled) {
    if (UiControl* control = menu.find_control(name)) control->enabled = enabled ? 1 : 0;
}

// The difficulty each difficulty-page command starts with; -1 keeps the
// one the new-game file holds.
struct DifficultyChoice {
    std::u16string_view command;
    int32_t difficulty;
};
constexpr DifficultyChoice kDifficultyChoices[] = {
    {u"*EASY", 0}, {u"*NORMAL", 1}, {u"*HARD", 2}, {u"*YES", -1}};

}  // namespace

bool any_saved_game(World& world) {
    if (world.saves_exist) return true;
    // A slot counts once its save is really there: a player who only ever
    // had automatic saves, or whose first save lost its index line, can
    // still load.
    for (const SaveSlot& slot : read_slots(world))
        if (!slot.empty() && read_story_file(world.save_path(slot.file.c_str())).has_value()) return true;
    return false;
}

MainMenuState::MainMenuState() = default;
MainMenuState::~MainMenuState() = default;

int32_t MainMenuState::backdrop_level() const { return backdrop_ ? backdrop_->level() : 0; }

void MainMenuState::enter(ScreenArgument argument) {
    bind_context();
    leaving_ = false;
    mode_ = kMain;
    about_page_ = 1;
    about_countdown_ = kAboutTicks;
    // The map is built again when it shows, by the settings then in force.
    game->rebuild_view(false);
    game->release_level_sprites();
    Layer* layer = game->first_layer();

    // The map stays visible under the menu, darkened as a black sprite at
    // the backdrop's alpha would darken it.
    backdrop_ = new FadeLayer;
    backdrop_->set_color(0);
    backdrop_->set_level(argument.number() ? kBackdropLevel : 0);
    layer->add(backdrop_, kBackdropDepth);

    const Rect whole{0, 0, layer->size().width, layer->size().height};
    menu_.add_group(*layer, whole, kMenuDepth);
    menu_.load(page_variant(u"menus/main/menu", layer->size()));

    const GameSettings& s = game->module()->settings;
    menu_->set_var(u"HighGraphics", s.gfx_quality);
    menu_->set_var(u"SndQuality", s.sound_quality);
    menu_->set_var(u"SoundVol", s.sound_volume);
    menu_->set_var(u"MusicVol", s.music_volume);
    menu_->set_var(u"Weather", s.weather_fx);
    menu_->set_var(u"AutoHeal", s.auto_heal);
    menu_->set_var(u"AutoEquip", s.auto_equip);
    update_enabled_entries();
    draw_menu();

    difficulty_.add_group(*layer, kDifficultyArea, kDifficultyDepth);
    game->set_play_clock(false);
}

void MainMenuState::update_enabled_entries() {
    const bool alive = world->hero().hit_points > 0;
    set_enabled(*menu_, u"CONT", game->resumable() && alive);
    set_enabled(*menu_, u"LOAD", any_saved_game(*world));
    set_enabled(*menu_, u"SAVE", world->saving_allowed && alive);
}

void MainMenuState::draw_menu() {
    menu_->draw();
    menu_.group()->set_all_flags(kMenuSpriteFlags);
    menu_.group()->set_alpha(menu_.group()->group_alpha());
}

void MainMenuState::leave() {
    Layer* layer = game ? game->first_layer() : nullptr;
    difficulty_.remove_group(layer);
    menu_.remove_group(layer);
    if (layer) layer->remove(backdrop_);
    backdrop_ = nullptr;
    if (game) {
        if (game->free_memory() < kPurgeBelowMb) purge_resource_caches();
        show_map_groups(*game);
    }
}

void MainMenuState::update() {
    if (!menu_.group()) return;
    if (!leaving_) {
        if (backdrop_->level() < kBackdropLevel) backdrop_->add_level(kFadeStep);
    } else if (!menu_.group()->add_alpha(-kFadeStep)) {
        leave_to_game();
        return;
    }
    if (mode_ == kAbout && --about_countdown_ < 1) show_about(about_page_ % kAboutPages + 1);
}

void MainMenuState::leave_to_game() { game->switch_state(kWalkingScreen, mode_ == kNewGame ? 1 : 0); }

// --- input ---------------------------------------------------------------------

void MainMenuState::on_pointer(int kind, int32_t x, int32_t y) {
    if (!menu_) return;
    if (kind == kPenDown) play_menu_click();
    if (difficulty_) {
        const Point origin = difficulty_.group()->position();
        const MenuInput input = send_pen_focus_style(*difficulty_, kind, {x - origin.x, y - origin.y});
        if (input.result == kMenuFocusChanged) difficulty_->draw();
        if (input.result == kMenuCommand) difficulty_command(input.command);
        return;
    }
    const MenuInput input = send_pen_focus_style(*menu_, kind, {x, y});
    if (input.result == kMenuCommand) run_command(input.command);
    if (menu_ && input.result != kMenuNotHandled) draw_menu();
}

void MainMenuState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (!menu_) return;
    if (kind == kKeyPress) {
        play_menu_click();
        if (difficulty_) return;
        // The action key turns the about pages; the fourth button goes back
        // to the title page, from the settings with them saved.
        if (mode_ == kAbout && game_key == kKeyAction) show_about(about_page_ % kAboutPages + 1);
        else if (mode_ == kAbout && game_key == kKeyButton4) back_to_main();
        else if (mode_ == kMain && game_key == kKeyButton4) end_settings();
        return;
    }
    if (kind != kKeyRelease) return;
    if (difficulty_) {
        const MenuInput input = send_key_focus_style(*difficulty_, game_key);
        if (input.result == kMenuFocusChanged || input.focused_first) difficulty_->draw();
        if (input.result == kMenuCommand) difficulty_command(input.command);
        return;
    }
    // The about pages and the fourth button were served on the press.
    if (mode_ == kAbout || game_key == kKeyButton4) return;
    const bool had_focus = menu_has_focus(*menu_);
    const MenuInput input = send_key_focus_style(*menu_, game_key);
    if (input.result == kMenuCommand) run_command(input.command);
    if (menu_ && !(input.result == kMenuNotHandled && had_focus)) draw_menu();
}

// --- commands ----------------------------------------------------------------------

void MainMenuState::run_command(const std::u16string& command) {
    if (leaving_) return;
    if (command == u"*CONT") {
        mode_ = kContinue;
        if (world->hero().hit_points < 1) {
            open_difficulty_page();
            return;
        }
        leaving_ = true;
        world->saving_allowed = true;
        game->set_resumable(true);
    } else if (command == u"*NEW") {
        open_difficulty_page();
    } else if (command == u"*ABOUT") {
        show_about(1);
    } else if (command == u"*NEXTABOUT") {
        show_about(about_page_ % kAboutPages + 1);
    } else if (command == u"*MAIN") {
        back_to_main();
    } else if (command == u"*LOAD") {
        mode_ = kLoad;
        game->switch_state(kGameIOScreen, 0);
    } else if (command == u"*SAVE") {
        mode_ = kSave;
        game->switch_state(kGameIOScreen, 1);
    } else if (command == u"*EXIT") {
        request_quit();
    } else if (command == u"*ENDSETTINGS") {
        end_settings();
    } else if (command == u"*UPDATE") {
        apply_settings();
    }
}

void MainMenuState::show_about(int32_t page) {
    mode_ = kAbout;
    about_page_ = page;
    about_countdown_ = kAboutTicks;
    menu_->show_page(u"ABOUT" + narrow_to_wide(std::to_string(page)));
    draw_menu();
}

void MainMenuState::back_to_main() {
    mode_ = kMain;
    about_page_ = 1;
    about_countdown_ = kAboutTicks;
    menu_->show_page(u"MAIN");
    draw_menu();
}

// --- settings ----------------------------------------------------------------------

void MainMenuState::apply_settings() {
    GameSettings& s = game->module()->settings;
    const bool sound_was_off = s.music_volume == 0 && s.sound_volume == 0;
    // A page may offer more steps than the settings know: clamp, so the
    // sound facade never gets a volume above 256 or an unknown quality.
    s.music_volume = clamp_step(menu_->get_var(u"MusicVol"));
    s.sound_volume = clamp_step(menu_->get_var(u"SoundVol"));
    s.sound_quality = std::clamp(menu_->get_var(u"SndQuality"), 0, GameSettings::kMaxQuality);
    s.weather_fx = clamp_flag(menu_->get_var(u"Weather"));
    s.auto_heal = clamp_flag(menu_->get_var(u"AutoHeal"));
    s.auto_equip = clamp_flag(menu_->get_var(u"AutoEquip"));
    s.gfx_quality = clamp_flag(menu_->get_var(u"HighGraphics"));
    game->apply_graphics_quality();
    game->start_weather(game->level_weather());

    if (!g_sound_manager) return;
    if (sound_was_off) {
        g_sound_manager->configure(s.sound_quality, s.music_volume * 64, s.sound_volume * 64);
    } else {
        g_sound_manager->set_quality(s.sound_quality);
        g_sound_manager->set_music_volume(s.music_volume * 64);
        g_sound_manager->set_sound_volume(s.sound_volume * 64);
    }
}

void MainMenuState::end_settings() {
    save_settings_file(settings_path(), game->module()->settings);
    back_to_main();
}

// --- difficulty page and new game ----------------------------------------------------

void MainMenuState::open_difficulty_page() {
    if (difficulty_) return;
    difficulty_.load(page_variant(u"menus/io/confirm_new", game->first_layer()->size()));
    difficulty_->draw();
    if (UiControl* question = difficulty_->find_control(u"question")) question->set_text(u"Select Difficulty");
    difficulty_->draw();
}

void MainMenuState::difficulty_command(const std::u16string& command) {
    // Every choice answers keys and the pen alike, so players without a pen
    // can start a game too.
    for (const DifficultyChoice& choice : kDifficultyChoices) {
        if (command != choice.command) continue;
        difficulty_.unload();
        start_new_game(choice.difficulty);
        return;
    }
    if (command == u"*CANCEL" || command == u"*NO") difficulty_.unload();
}

void MainMenuState::start_new_game(int32_t difficulty) {
    mode_ = kNewGame;
    // HUD mode first: it blocks input until the start tile's trigger ends
    // it, and no level entry of the new game's start counts as a region
    // change that would save automatically.
    const bool hud_before = game->hud_mode();
    game->set_hud_mode(true);
    if (!game->start_new_game()) {
        game->set_hud_mode(hud_before);
        show_failure_notice("Cannot start a new game:\n" + world->last_error());
        mode_ = kMain;
        return;
    }
    if (difficulty >= 0) world->difficulty = difficulty;
    leaving_ = true;
    world->saving_allowed = true;
    world->saves_exist = true;
}
