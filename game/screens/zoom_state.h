// The zoomed map ("Zoom"): after the thought "Lemme check the map.." the
// whole current level is drawn once, block by block, by the same tile
// renderer as the walking view, shrunk to fit the screen, and shown with a
// blinking marker where the hero stands. Any key or a lifted pen returns
// to "Walking".
#pragma once

#include <cstdint>

#include "engine/pictures/font.h"
#include "game/screens/zoom_picture.h"
#include "game/session/game_screen_state.h"

class Sprite;
class SpriteGroup;

class ZoomState : public GameScreenState {
public:
    enum Phase : int32_t { kBubbleIn = 0, kRender = 1, kBubbleOut = 2, kShowing = 3 };
    static constexpr int32_t kBubbleAlpha = 28;

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;
    void on_pointer(int kind, int32_t x, int32_t y) override;

    int32_t phase() const { return phase_; }
    const ZoomLayout& layout() const { return layout_; }
    Sprite* map_picture() const { return map_; }
    Sprite* marker() const { return marker_; }
    Sprite* bubble() const { return bubble_; }
    SpriteGroup* group() const { return group_; }

private:
    void fade_bubble_in();
    void fade_bubble_out();
    void blink_marker();
    // The whole level into the map picture, in this one tick.
    void render_map();
    void render_blocks(Sprite& scratch);
    void render_block(Sprite& scratch, int32_t column, int32_t row);
    void place_marker();
    void return_to_walking();

    int32_t phase_ = kBubbleIn;
    ZoomLayout layout_;
    SpriteGroup* group_ = nullptr;
    Sprite* map_ = nullptr;
    Sprite* marker_ = nullptr;
    Sprite* bubble_ = nullptr;
    Sprite* text_ = nullptr;
    Font font_;
    int32_t blink_counter_ = 0;
};
