// The walking screen's message and question boxes: the health restored
// after a night's sleep and worn-out armour.
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/game.h"
#include "game/screens/story_module.h"
#include "game/screens/walking_rules.h"
#include "game/screens/walking_state.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kMessageDepth = 8654;
constexpr int32_t kWornOutMessageTicks = 150;
constexpr const char* kQuestionPage = "menus/io/confirm_reset.def";
constexpr Size kQuestionSize{203, 106};

}  // namespace

void WalkingState::show_message(const char* def, const char* control, const char* text, int32_t ticks) {
    close_message();
    const std::u16string path = utf8_to_utf16(def);
    if (!game_file_exists(path)) {
        std::fprintf(stderr, "tarrowind: no page \"%s\" for the message \"%s\"\n", def, text);
        return;
    }
    message_group_ = new SpriteGroup;
    const bool question = ticks == kMessageWaits;
    const Point at = question ? Point{kDisplay.width / 2 - 100, kDisplay.height / 2 - 80} : Point{0, 0};
    const Size size = question ? kQuestionSize : kDisplay;
    message_group_->set_position(at.x, at.y);
    message_group_->set_size(size.width, size.height);
    if (Layer* layer = game->first_layer()) layer->add_at(message_group_, at.x, at.y, size.width, size.height, kMessageDepth);
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
    if (g_app && g_app->settings.auto_equip) {
        h.auto_equip();
        show_message(kMessagePage, "message", vest ? "Your vest has worn out." : "Your gear has worn out.",
                     kWornOutMessageTicks);
    } else {
        show_question(vest ? "Your vest has worn out.\nEquip another?" : "Your gear has worn out.\nGrab another?");
    }
    h.armour_lost = h.shield_lost = false;
}
