#include "game/screens/game_io_state.h"

#include "engine/core/text_helpers.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/main_menu_state.h"
#include "game/screens/menu_screen.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr uint32_t kDarkeningDepth = 502;
constexpr uint32_t kPageDepth = 1100;
constexpr uint32_t kDialogDepth = 11002;
constexpr int32_t kUndarkenStep = 2;

// Whether the screen was opened by the main menu's LOAD or SAVE entry: the
// menu keeps that choice as its mode until it is entered again.
bool opened_by_main_menu(const Game& game) {
    const MainMenuState* menu = find_screen<MainMenuState>(game);
    return menu && (menu->mode() == MainMenuState::kLoad || menu->mode() == MainMenuState::kSave);
}

void set_control_text(UiMenu& menu, std::u16string_view name, std::u16string text) {
    if (UiControl* control = menu.find_control(name)) control->set_text(std::move(text));
}

}  // namespace

std::optional<int> slot_of_command(std::u16string_view command, int32_t mode) {
    constexpr std::u16string_view kPrefix = u"*SLOT";
    if (command.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    const std::u16string_view digits = command.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int number = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + (c - u'0');
    }
    const int last = mode == GameIOState::kSaveMode ? kPlayerSlots : kSlotCount;
    if (number < 1 || number > last) return std::nullopt;
    return number - 1;
}

GameIOState::GameIOState() = default;
GameIOState::~GameIOState() = default;

void GameIOState::enter(ScreenArgument argument) {
    purge_resource_caches();
    bind_context();
    from_menu_ = opened_by_main_menu(*game);
    Layer* layer = game->first_layer();
    darkening_ = new FadeLayer;
    darkening_->set_color(0);
    layer->add(darkening_, kDarkeningDepth);
    page_.add_group(*layer, {0, 0, layer->size().width, layer->size().height}, kPageDepth);
    // The confirmation and the messages stand in the middle of the screen.
    dialog_.add_group(*layer, centred_dialog_area(layer->size()), kDialogDepth);

    slots_ = read_slots(*world);
    mode_ = argument.number() == 1 ? kSaveMode : kLoadMode;
    phase_ = kOpening;
    darkened_ = false;
    close_to_menu_ = false;
    pending_slot_ = load_slot_ = -1;
    countdown_ = 0;
}

void GameIOState::leave() {
    Layer* layer = game ? game->first_layer() : nullptr;
    dialog_.remove_group(layer);
    page_.remove_group(layer);
    if (layer) layer->remove(darkening_);
    darkening_ = nullptr;
    if (game) show_map_groups(*game);
}

// --- ticks -------------------------------------------------------------------------

void GameIOState::update() {
    switch (phase_) {
    case kOpening:
        // Darken in one step, and let that frame show before the page loads.
        if (!darkened_) {
            darkening_->set_level(kDarkLevel);
            darkened_ = true;
            return;
        }
        open_page();
        phase_ = mode_;
        break;
    case kLoading:
        if (--countdown_ <= 0) load_slot();
        break;
    case kMessage:
        if (--countdown_ > 0) return;
        dialog_.unload();
        if (message_returns_) phase_ = mode_;
        else start_closing(false);
        break;
    case kClosing:
        page_.unload();
        darkening_->add_level(-kUndarkenStep);
        if (darkening_->level() <= 0) finish_closing();
        break;
    default: break;
    }
}

void GameIOState::open_page() {
    const Size layer = game->first_layer()->size();
    const bool saving = mode_ == kSaveMode;
    page_.load(page_variant(saving ? u"menus/io/save" : u"menus/io/load", layer));
    if (saving) set_control_text(*page_, u"SUMMARY", narrow_to_wide_signed(hero->region_name()));
    show_slots();
}

void GameIOState::show_slots() {
    for (int n = 0; n < kSlotCount; ++n)
        set_control_text(*page_, u"SLOT" + narrow_to_wide(std::to_string(n + 1)), slot_caption(slots_[size_t(n)]));
    page_->draw();
}

void GameIOState::start_closing(bool to_menu) {
    dialog_.unload();
    close_to_menu_ = to_menu;
    phase_ = kClosing;
}

void GameIOState::finish_closing() {
    if (close_to_menu_ || from_menu_) {
        game->switch_state(kMainMenuScreen, 0);
        return;
    }
    world->saving_allowed = true;
    game->switch_state(kWalkingScreen, 0);
}

// --- input ---------------------------------------------------------------------------

// The page that takes input in this phase; none while the page is still
// loading, being closed or covered by a message.
UiMenu* GameIOState::input_menu() const {
    if (phase_ == kChoosingLoad || phase_ == kChoosingSave) return page_.get();
    if (phase_ == kConfirming) return dialog_.get();
    return nullptr;
}

void GameIOState::on_pointer(int kind, int32_t x, int32_t y) {
    if (kind != kPenDown) return;
    play_menu_click();
    UiMenu* menu = input_menu();
    if (!menu) return;
    const Point origin = menu->group()->position();
    std::u16string command;
    const int32_t result = menu->handle_event(kMenuTap, pack_point(x - origin.x, y - origin.y), &command);
    if (result == kMenuCommand) on_command(command);
    else if (result == kMenuFocusChanged) menu->draw();
}

void GameIOState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress) return;
    play_menu_click();
    UiMenu* menu = input_menu();
    if (!menu) return;
    // The fourth button closes the slot page; on the question it is a key
    // like the others.
    if (game_key == kKeyButton4 && menu == page_.get()) {
        start_closing(true);
        return;
    }
    const MenuInput input = send_key_focus_style(*menu, game_key);
    if (input.result == kMenuCommand) on_command(input.command);
    else if (input.result == kMenuFocusChanged || input.focused_first) menu->draw();
}

void GameIOState::on_command(const std::u16string& command) {
    if (phase_ == kConfirming) {
        if (command == u"*YES") {
            dialog_.unload();
            save_to_slot(pending_slot_);
        } else if (command == u"*NO") {
            dialog_.unload();
            phase_ = pending_phase_;
        }
        return;
    }
    if (command == u"*CANCEL") {
        start_closing(true);
        return;
    }
    if (const std::optional<int> slot = slot_of_command(command, mode_)) choose_slot(*slot);
}

void GameIOState::choose_slot(int slot) {
    const SaveSlot& chosen = slots_[size_t(slot)];
    if (mode_ == kLoadMode) {
        if (chosen.empty()) return;
        load_slot_ = slot;
        show_message(u"Loading..", false);
        phase_ = kLoading;
        countdown_ = kLoadDelayTicks;
    } else if (chosen.empty()) {
        save_to_slot(slot);
    } else {
        confirm(slot);
    }
}

// --- dialogs -----------------------------------------------------------------------------

void GameIOState::open_dialog(std::u16string_view path, std::u16string_view text_control, std::u16string_view text) {
    set_control_text(dialog_.load(path), text_control, std::u16string(text));
    dialog_->draw();
}

void GameIOState::confirm(int slot) {
    pending_slot_ = slot;
    pending_phase_ = phase_;
    open_dialog(page_variant(u"menus/io/confirm_reset", game->first_layer()->size()), u"question",
                u"Data will be overwritten.\nAre you sure?");
    phase_ = kConfirming;
}

void GameIOState::show_message(std::u16string_view text, bool back_to_choosing) {
    open_dialog(page_variant(u"menus/io/message", game->first_layer()->size()), u"message", text);
    phase_ = kMessage;
    countdown_ = kMessageTicks;
    message_returns_ = back_to_choosing;
}

// --- saving and loading ----------------------------------------------------------------------

void GameIOState::save_to_slot(int slot) {
    if (!game->save_game(slot, slots_)) {
        show_message(u"Save failed.", true);
        return;
    }
    show_slots();
    show_message(u"Game Saved.", false);
}

void GameIOState::load_slot() {
    const SaveSlot& slot = slots_[size_t(load_slot_)];
    if (game->load_game(world->save_path(slot.file.c_str()))) {
        world->saves_exist = true;
        // "Loading.." gives way to the outcome, so that the player sees the
        // game was loaded before the screen closes.
        show_message(u"Game Loaded.", false);
        return;
    }
    show_message(u"Load failed.", true);
}
