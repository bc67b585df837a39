// "EndOfGame": the picture that ends a game: game over after the hero's
// death (or a story's game over), or one of the story's two endings. The
// music stops and the death knell sounds; the picture fades in over black
// and stays until a key or a tap fades it out, and then the load screen
// (game over) or the main menu (an ending) follows with the title music.
// An ended game can neither be saved nor continued any more.
#pragma once

#include <cstdint>

#include "game/session/game_screen_state.h"

class FillRect;
class SpriteGroup;
class Sprite;

// The picture of an ending: 0 game over, 1 and 2 the endings; anything
// else is game over too.
const char16_t* end_of_game_picture(int32_t variant);

class EndOfGameState : public GameScreenState {
public:
    enum Variant : int32_t { kGameOver = 0, kFirstEnding = 1, kSecondEnding = 2 };
    static constexpr uint32_t kFillDepth = 954;
    static constexpr uint32_t kGroupDepth = 1000;

    // The argument points at the variant (an int32_t); null is game over.
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;
    void on_pointer(int kind, int32_t x, int32_t y) override;

    int32_t variant() const { return variant_; }
    bool leaving() const { return leaving_; }
    int32_t death_channel() const { return death_channel_; }
    SpriteGroup* group() const { return group_; }
    Sprite* picture() const { return picture_; }

private:
    void start_leaving();
    void finish();

    int32_t variant_ = kGameOver;
    bool leaving_ = false;
    int32_t counter_ = 0;
    int32_t death_channel_ = -1;
    FillRect* fill_ = nullptr;
    SpriteGroup* group_ = nullptr;
    Sprite* picture_ = nullptr;
};
