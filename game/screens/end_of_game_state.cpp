#include "game/screens/end_of_game_state.h"

#include "engine/graphics/fill_rect.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/full_screen_picture.h"
#include "game/session/game.h"
#include "game/sound/sound_manager.h"
#include "game/world/world.h"

namespace {

constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kPictureDepth = 100, kCoverDepth = 200;
constexpr int kDeathVolume = 255;
constexpr const char* kTitleMusic = "music/title-ending.xm";

}  // namespace

const char16_t* end_of_game_picture(int32_t variant) {
    switch (variant) {
    case EndOfGameState::kFirstEnding: return u"screens\\end1.bmp";
    case EndOfGameState::kSecondEnding: return u"screens\\end2.bmp";
    default: return u"screens\\gameover.bmp";
    }
}

void EndOfGameState::enter(ScreenArgument argument) {
    bind_context();
    const int32_t* chosen = argument.pointer<const int32_t>();
    // Anything but the two endings is game over.
    variant_ = chosen && (*chosen == kFirstEnding || *chosen == kSecondEnding) ? *chosen : kGameOver;
    leaving_ = false;
    counter_ = 0;
    game->music_locked = false;
    game->saved_music_order = 0;
    game->stop_music();
    death_channel_ = g_sound_manager ? g_sound_manager->play_sound(u"sfx\\death.wav", kDeathVolume, -1, false) : -1;
    // The game is over from now on: closing the window on the picture must
    // not keep it to be continued, nor may it be saved.
    world->autosave_exists = false;
    world->saving_allowed = false;
    game->set_resumable(false);

    Layer& layer = *game->first_layer();
    fill_ = new FillRect;
    fill_->set_color(0);
    layer.add(fill_, kFillDepth);
    group_ = new SpriteGroup;
    layer.add(group_, kGroupDepth);
    group_->set_size(layer.size().width, layer.size().height);
    picture_ = FullScreenPicture(*group_, end_of_game_picture(variant_), PictureRole::exit, layer.size(),
                                 kPictureDepth, kCoverDepth)
                   .picture();
    group_->set_all_flags(kFadingSprite);
    group_->set_alpha(0);
    if (SpriteGroup* ground = game->ground_group()) ground->set_visible(false);
    if (SpriteGroup* objects = game->object_group()) objects->set_visible(false);
}

void EndOfGameState::leave() {
    if (Layer* layer = game ? game->first_layer() : nullptr) {
        // The layer deletes what it holds.
        if (fill_) layer->remove(fill_);
        if (group_) layer->remove(group_);
    }
    fill_ = nullptr;
    group_ = nullptr;
    picture_ = nullptr;
    if (!game) return;
    if (SpriteGroup* ground = game->ground_group()) ground->set_visible(true);
    if (SpriteGroup* objects = game->object_group()) objects->set_visible(true);
}

void EndOfGameState::update() {
    if (!group_) return;
    ++counter_;
    if (!leaving_) group_->add_alpha(1);
    else if (!group_->add_alpha(-1)) finish();
}

void EndOfGameState::finish() {
    if (variant_ == kGameOver) game->saved_music_order = 0;
    game->play_music(kTitleMusic, 0);
    world->autosave_exists = false;
    world->saving_allowed = false;
    game->switch_state(variant_ == kGameOver ? kGameIOScreen : kMainMenuScreen, 0);
}

void EndOfGameState::start_leaving() {
    if (!group_ || leaving_) return;
    leaving_ = true;
    if (g_sound_manager && death_channel_ >= 0) g_sound_manager->stop_channel(death_channel_);
}

void EndOfGameState::on_key(int kind, uint32_t, uint32_t) {
    if (kind == kKeyPress) start_leaving();
}

void EndOfGameState::on_pointer(int kind, int32_t, int32_t) {
    if (kind == kPenDown) start_leaving();
}
