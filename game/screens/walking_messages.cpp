// The walking screen's message and question boxes: the health restored
// after a night's sleep and worn-out armour.
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/menu_screen.h"
#include "game/screens/walking_rules.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kMessageDepth = 8654;
constexpr int32_t kWornOutMessageTicks = 150;
constexpr const char* kQuestionPage = "menus/io/confirm_reset.def";

}  // namespace

void WalkingState::show_message(const char* def, const char* control, const char* text, int32_t ticks) {
    close_message();
    const std::u16string path = utf8_to_utf16(def);
    if (!game_file_exists(path)) {
        std::fprintf(stderr, "tarrowind: no page \"%s\" for the message \"%s\"\n", def, text);
        return;
    }
    message_group_ = new SpriteGroup;
    // Messages and questions alike stand in the middle of the screen.
    const Rect area = centred_dialog_area(kScreenSize);
    message_group_->set_position(area.left, area.top);
    message_group_->set_size(area.width(), area.height());
    if (Layer* layer = game->first_layer())
        layer->add_at(message_group_, area.left, area.top, area.width(), area.height(), kMessageDepth);
    message_menu_ = std::make_unique<UiMenu>(message_group_, path);
    if (UiControl* line = message_menu_->find_control(utf8_to_utf16(control))) line->set_text(utf8_to_utf16(text));
    message_menu_->draw();
    message_countdown_ = ticks;
}

void WalkingState::show_question(const char* text) { show_message(kQuestionPage, "question", text, kMessageWaits); }

void WalkingState::close_message() {
    message_menu_.reset();
    if (message_group_) {
        if (Layer* layer = game->first_layer()) layer->remove(message_group_);
        else delete message_group_;
    }
    message_group_ = nullptr;
    message_countdown_ = kMessageWaits;
}

void WalkingState::check_worn_out_gear() {
    HeroActor& h = world->hero();
    const bool vest = h.armour_lost;
    const StoryModule* app = game->module();
    if (app && app->settings.auto_equip) {
        h.auto_equip();
        show_message(kMessagePage, "message", vest ? "Your vest has worn out." : "Your gear has worn out.",
                     kWornOutMessageTicks);
    } else {
        show_question(vest ? "Your vest has worn out.\nEquip another?" : "Your gear has worn out.\nGrab another?");
    }
    h.armour_lost = h.shield_lost = false;
}
