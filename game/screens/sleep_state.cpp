#include "game/screens/sleep_state.h"

#include "engine/graphics/fill_rect.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/full_screen_picture.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"

namespace {

constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kOutlineDepth = 100, kPictureDepth = 200, kCoverDepth = 300;
// Ticks the outline stays at least, the second picture stays, and the
// fade-out of the second picture lasts at least.
constexpr int32_t kOutlineTicks = 120, kShownTicks = 120, kFadeOutTicks = 200;
// The second picture fades by 2 on every third tick.
constexpr int32_t kSlowStep = 2, kSlowEvery = 3;

}  // namespace

void SleepState::enter(ScreenArgument) {
    bind_context();
    phase_ = kOutlineIn;
    counter_ = 0;
    Layer& layer = *game->first_layer();
    fill_ = new FillRect;
    fill_->set_color(0);
    layer.add(fill_, kFillDepth);
    outline_group_ = add_picture_group(u"screens\\sleep01contur.bmp", kOutlineGroupDepth, kOutlineDepth);
    picture_group_ = add_picture_group(u"screens\\sleep02.bmp", kPictureGroupDepth, kPictureDepth);
}

SpriteGroup* SleepState::add_picture_group(const char16_t* picture, uint32_t group_depth, int32_t picture_depth) {
    Layer& layer = *game->first_layer();
    auto* group = new SpriteGroup;
    layer.add(group, group_depth);
    group->set_size(layer.size().width, layer.size().height);
    FullScreenPicture(*group, picture, PictureRole::exit, layer.size(), picture_depth, kCoverDepth);
    group->set_all_flags(kFadingSprite);
    group->set_alpha(0);
    return group;
}

void SleepState::leave() {
    if (Layer* layer = game ? game->first_layer() : nullptr) {
        // The layer deletes what it holds.
        if (fill_) layer->remove(fill_);
        if (outline_group_) layer->remove(outline_group_);
        if (picture_group_) layer->remove(picture_group_);
    }
    fill_ = nullptr;
    outline_group_ = picture_group_ = nullptr;
}

void SleepState::next_phase(int32_t phase) {
    phase_ = phase;
    counter_ = 0;
}

void SleepState::update() {
    if (!outline_group_) return;
    ++counter_;
    // The slow fades step only on every third tick: on the others nothing
    // changes, which is not the end of the fade.
    const bool slow_tick = counter_ % kSlowEvery == 0;
    switch (phase_) {
    case kOutlineIn:
        if (!outline_group_->add_alpha(1) && counter_ > kOutlineTicks) next_phase(kPictureIn);
        break;
    case kPictureIn:
        if (slow_tick && !picture_group_->add_alpha(kSlowStep)) next_phase(kPictureShown);
        break;
    case kPictureShown:
        if (counter_ >= kShownTicks) next_phase(kPictureOut);
        break;
    case kPictureOut:
        if (slow_tick && !picture_group_->add_alpha(-kSlowStep) && counter_ > kFadeOutTicks) next_phase(kAllOut);
        break;
    default:
        picture_group_->add_alpha(-1);
        if (!outline_group_->add_alpha(-1)) game->switch_state(kWalkingScreen, WalkingState::kEnterAfterSleep);
        break;
    }
}
