// "Sleep": the night the hero sleeps through, as a short picture sequence
// over a black screen: the outline of the night fades in, the second
// picture fades in over it, stays, and fades out, and then both go. It takes
// no input, so it always lasts the same number of logic ticks; then the map
// returns and tells the player that the hero's health is restored.
#pragma once

#include <cstdint>

#include "game/session/game_screen_state.h"

class FillRect;
class SpriteGroup;

class SleepState : public GameScreenState {
public:
    enum Phase : int32_t { kOutlineIn = 0, kPictureIn = 1, kPictureShown = 2, kPictureOut = 3, kAllOut = 4 };
    static constexpr uint32_t kFillDepth = 999;
    static constexpr uint32_t kOutlineGroupDepth = 1000;
    static constexpr uint32_t kPictureGroupDepth = 2000;

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;

    int32_t phase() const { return phase_; }
    SpriteGroup* outline_group() const { return outline_group_; }
    SpriteGroup* picture_group() const { return picture_group_; }

private:
    SpriteGroup* add_picture_group(const char16_t* picture, uint32_t group_depth, int32_t picture_depth);
    void next_phase(int32_t phase);

    int32_t phase_ = kOutlineIn;
    int32_t counter_ = 0;
    FillRect* fill_ = nullptr;
    SpriteGroup* outline_group_ = nullptr;
    SpriteGroup* picture_group_ = nullptr;
};
