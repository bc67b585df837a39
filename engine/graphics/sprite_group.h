// The drawable through which sprites reach the screen: it owns its sprites in
// depth order, turns their changes into dirty rectangles of its layer (at most
// the old and the new rectangle of each sprite per frame), and draws them
// through the blitters. Sprite coordinates are the group's own: a sprite point
// lies at group position + sprite position - group scroll offset.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/depth_list.h"
#include "engine/graphics/drawable.h"
#include "engine/graphics/sprite.h"

class SpriteList;

class SpriteGroup : public Drawable {
public:
    SpriteGroup();
    // Deletes every sprite.
    ~SpriteGroup() override;

    // Creating and adding: x, y, depth in group coordinates; phase 0 keeps
    // the sprite's phase; flags become (flags | set) & ~clear. New sprites
    // report their first rectangle at the next flush.
    Sprite* create_sprite(std::u16string_view name, int32_t x, int32_t y, int32_t depth, int32_t phase,
                          uint32_t set, uint32_t clear);
    Sprite* create_bitmap_sprite(std::u16string_view name, int32_t x, int32_t y, int32_t depth);
    Sprite* create_shared_sprite(const Sprite& other, int32_t x, int32_t y, int32_t depth, int32_t phase,
                                 uint32_t set, uint32_t clear);
    // Places an existing sprite the same way, reporting its rectangle at once.
    void add_sprite(Sprite* sprite, int32_t x, int32_t y, int32_t depth, int32_t phase, uint32_t set,
                    uint32_t clear);

    void remove_sprite(Sprite* sprite);
    void remove_all();
    // Removes and deletes every listed sprite, last first, then the list.
    void remove_list(SpriteList* list);
    // Takes a sprite out without deleting it; 1 when it was here.
    int32_t remove_entry(Sprite* sprite);
    // Deletes every sprite; reports each rectangle, or the whole group's
    // rectangle once from 20 sprites on.
    void clear();

    // Bulk changes of the sprites that follow the group's alpha (ALPHA_AUTO).
    void set_alpha(int32_t a);
    int32_t add_alpha(int32_t d);
    void set_all_flags(uint32_t mask);
    void set_sprite_phase(Sprite* sprite, int32_t p);

    void invalidate_sprite(Sprite* sprite);
    // Re-sorts a sprite whose depth changed, after those of equal depth.
    void move_to_depth(Sprite* sprite);
    void flush_dirty() override;
    void draw(const DrawTarget& target) override;

    // Renders every sprite, visible or not, into dst's picture within
    // x, y, w, h (clipped to the picture), without origin shift.
    void draw_into_sprite(Sprite* dst, int32_t x, int32_t y, int32_t w, int32_t h);

    // Subtracted from sprite coordinates to get layer coordinates.
    Point origin_shift() const { return {offset_x_ - x_, offset_y_ - y_}; }
    int32_t group_alpha() const { return group_alpha_; }
    const DepthList<Sprite>& sprites() const { return sprites_; }

private:
    void place(Sprite* sprite, int32_t x, int32_t y, int32_t depth, int32_t phase, uint32_t set, uint32_t clear);
    void report(Sprite* sprite);

    DepthList<Sprite> sprites_;
    int32_t group_alpha_ = 32;
};

// Draws one sprite into another's picture, clipped to dst's frame size.
void draw_sprite_into_sprite(Sprite* dst, Sprite* src);
