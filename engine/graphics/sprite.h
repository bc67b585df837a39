// One placed instance of a sprite definition: position, depth, flags,
// opacity, rotation, zoom, current frame and running animation. Sprites reach
// the screen as members of a SpriteGroup, which draws them and turns their
// changes into dirty rectangles; the blitters read the fields directly.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/blit/blit_types.h"
#include "engine/core/geometry.h"
#include "engine/core/memory_pool.h"

class Bitmap;
class SpriteDef;
class SpriteGroup;

class Sprite : public PoolObject {
public:
    // Passed for a coordinate or depth: keep the current one.
    static constexpr int32_t KEEP = 87654321;

    // No definition, no group.
    Sprite();
    // Shares other's definition (one more use of it); no group.
    explicit Sprite(const Sprite& other);
    Sprite& operator=(const Sprite&) = delete;
    // Releases the definition.
    virtual ~Sprite();

    SpriteDef* def = nullptr;
    uint32_t flags = 0;
    int32_t x = 0, y = 0;
    int32_t depth = 0;  // order in the group, compared unsigned
    int32_t frame_width = 0, frame_height = 0;
    int32_t alpha = 32;
    int32_t phase = 0;
    int32_t rotation = 0;  // 16.16 degrees
    int32_t zoom = 1024;
    int32_t frame_offset = 0;  // index of the current frame's first pixel
    int32_t changed = 0;       // rectangle reported since the group's last flush
    int16_t current_animation = -1;
    int16_t next_animation = -1;
    uint8_t animation_part = 0;  // 0 start, 1 loop, 2 end, 3 finished
    uint8_t letter = 0;
    uint16_t wait = 0;
    uint16_t next_wait = 0;
    SpriteGroup* group = nullptr;

    // Back to the definition's defaults at 0, 0, depth 0, no animation.
    void reset();
    // The named ".spr" definition, with its defaults; position, depth and
    // animation state stay. 0 when it is missing and not required.
    int32_t load(std::u16string_view name, int must_exist);
    // A one-frame definition over a picture file. 0 when it is missing and
    // not required.
    int32_t load_bitmap(std::u16string_view name, int must_exist);
    void init_from_bitmap(std::u16string_view name, int32_t x, int32_t y, int32_t depth, uint32_t flags);
    // A one-frame definition over a cached bitmap (one more use of it), for
    // a sprite without a definition.
    void set_bitmap(Bitmap* bitmap);
    // A new zero-filled picture of w x h (each at least 1) to draw into.
    void create_blank(int32_t w, int32_t h);
    static Sprite* create_from_bitmap(std::u16string_view name, uint32_t flags, int32_t frame_height);
    // Own copies of the definition and picture, so drawing into this sprite's
    // picture changes no other holder's.
    void make_private();

    // Setters report the old rectangle before they change anything and do
    // nothing when the value stays.
    void set_position(int32_t x, int32_t y, int32_t depth);
    void set_aligned_position(int32_t align, int32_t x, int32_t y);
    void move_by(int32_t dx, int32_t dy);
    void set_rotation(int32_t angle);
    void set_alpha(int32_t a);
    void assign_flags(uint32_t f) { flags = f; }
    void set_zoom(int32_t z);
    void set_visible(int32_t visible);
    void set_flags(uint32_t mask);
    void clear_flags(uint32_t mask);
    // Alpha moved by d within 0..32; 1 when it changed.
    int32_t add_alpha(int32_t d);
    // Shows frame p; -1 picks a random frame; others out of range are ignored.
    void set_phase(int32_t p);

    // Starts the named animation, or queues it behind the running one
    // (returning its delay). -1 when not found (the queued one is dropped).
    int32_t set_animation(std::string_view name);
    // One game tick of the running animation.
    void animate();

    // The rectangle the sprite covers, moved by -ox, -oy.
    Rect bounds(int32_t ox, int32_t oy) const;
    bool contains_point(int32_t px, int32_t py, int32_t ox, int32_t oy) const;
    // Inside, and (unscaled sprites only) not on a colour-key pixel.
    bool contains_opaque_point(int32_t px, int32_t py, int32_t ox, int32_t oy) const;

    // Blends src's current frame over this sprite's. Both pictures need alpha
    // planes and equal widths; only the rows both frames have are blended.
    void composite(const Sprite& src);

    // Reports the current rectangle to the group once per frame.
    void invalidate();

    Bitmap* bitmap() const;
    // What the blitters read: the current frame and the drawing settings.
    BlitSource blit_source() const;

private:
    void release_def();
    void take_defaults();
    // No effect: opaque, unrotated, unzoomed, the first frame.
    void take_plain_look();
    void switch_to_next_animation();
};

