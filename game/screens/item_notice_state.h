// The item notice ("Item"): a small box at the bottom of the map (or above
// a talk bubble that stands there) telling the player that the hero took or
// gave an item or gold, with its icon. It fades in, waits for the action
// key, the first or fourth button or a tap, fades out and returns to the
// screen the story action ran on ("Walking", or "Talking", which resumes its
// topic).
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/geometry.h"
#include "game/session/game_screen_state.h"
#include "game/session/screen_subjects.h"

class Sprite;
class SpriteGroup;
class World;

// "You took Minor Tonic", "You gave 150 gold": the text for a notice; empty
// when its item id names no item.
std::string item_notice_text(const World& world, const ItemNotice& notice);
// The icon number a notice shows: the item's, or 86 (gold) without an item.
int32_t item_notice_icon(const World& world, const ItemNotice& notice);

// Where the notice's group stands on a layer of `layer` size: the map above
// the walk HUD's strip, the box at its bottom. When a talk bubble (`bubble`,
// empty when none) stands where the box would, the group is the part of the
// map above the bubble, when a box of `box` size fits there, so that the
// notice covers none of the conversation's text.
Rect item_notice_area(Size layer, Size box, Rect bubble);

class ItemNoticeState : public GameScreenState {
public:
    static constexpr int32_t kGoldIcon = 86;
    static constexpr int32_t kFadeStep = 2;

    // The argument points at an ItemNotice; it is copied, since the next
    // such action overwrites the game's.
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    const ItemNotice& notice() const { return notice_; }
    bool leaving() const { return leaving_; }
    SpriteGroup* group() const { return group_; }
    // The box on the map layer, while shown.
    Rect box_area() const;

private:
    void show();
    void return_to_caller();

    ItemNotice notice_;
    bool leaving_ = false;
    SpriteGroup* group_ = nullptr;
    Sprite* background_ = nullptr;
    Sprite* text_ = nullptr;
};
