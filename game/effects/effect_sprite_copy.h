// What the effect types that copy their target share: a read-only view of
// the target's current frame, the look of the target that an effect changes
// and puts back, a sprite of the effect's own with a private picture
// (colour key 0xF81F where nothing is drawn), and the grey recolouring from
// a 565 pixel's luminance.
//
// The target belongs to the combat screen, which may delete it while an
// effect still runs (a beaten monster leaves the scene). So the effect never
// touches it without first finding it, by pointer alone, in the group it
// stood in when the effect began.
#pragma once

#include <cstdint>

#include "engine/core/geometry.h"
#include "engine/pictures/bitmap.h"

class Sprite;
class SpriteGroup;

struct EffectTarget;

// True when `group` holds `sprite` (compares pointers, reads no sprite).
bool group_holds(const SpriteGroup* group, const Sprite* sprite);

// Where copies of the target go: beside it in its own group (so that depths
// relative to it mean something), else the action's group, else the effect
// layer.
SpriteGroup* copy_group(const EffectTarget& target);

// The current frame of a sprite's picture, clipped to the picture.
struct FrameView {
    const uint16_t* pixels = nullptr;  // the frame's first pixel
    int32_t stride = 0;                // pixels from one row to the next
    Size size{0, 0};

    bool empty() const { return !pixels || size.empty(); }
    uint16_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(stride) + size_t(x)]; }
};
FrameView current_frame(const Sprite& sprite);
// Frame `phase` of the sprite's picture; the current frame when it has none
// of that number.
FrameView frame_of(const Sprite& sprite, int32_t phase);

// Which frame a sprite shows: a copy is rebuilt when this changes.
struct FrameKey {
    const void* picture = nullptr;
    int32_t offset = -1;
    Size size{0, 0};
    friend bool operator==(const FrameKey&, const FrameKey&) = default;
};
FrameKey frame_key(const Sprite& sprite);

// Top-left corner of the sprite's frame in its group, after its anchor flags.
Point frame_top_left(const Sprite& sprite);

// (G x 59 + R x 60 + B x 22) / 25 of the 565 channels: 0 .. 250.
int32_t luminance565(uint16_t pixel);
// A luminance as a colour: 0 grey, 1 red only, 2 green only, 3 grey again.
uint16_t luminance_color(int32_t luminance, int32_t color);

// The target of an effect, with the alpha and the flags it had at the
// start: whatever of them the effect changed is put back when this goes.
// Effects that overlap on one target share what it looked like before the
// first of them changed it, and the last to go puts that back. Alpha only
// shows on a sprite drawn with its layer alpha, so changing it turns that
// mode on until then. These effects never move their target, so its place
// is left to whoever moves it.
class TargetLook {
public:
    explicit TargetLook(Sprite* sprite);
    ~TargetLook();
    TargetLook(const TargetLook&) = delete;
    TargetLook& operator=(const TargetLook&) = delete;

    // The target while it is still in its group; null once it is gone.
    Sprite* get() const;
    // Its alpha before any effect changed it.
    int32_t saved_alpha() const { return alpha_; }
    void set_alpha(int32_t alpha);
    void set_hidden(bool hidden);
    // Puts alpha, layer alpha and hidden bit back now, unless another
    // effect still holds them.
    void restore();

private:
    void hold();

    Sprite* sprite_ = nullptr;
    SpriteGroup* group_ = nullptr;
    int32_t alpha_ = 32;
    uint32_t flags_ = 0;
    bool changed_ = false;
};

// A sprite of the effect's own with a private picture, removed from its group
// when this goes. Drawn with the colour key and its layer alpha.
class OwnSprite {
public:
    OwnSprite() = default;
    ~OwnSprite() { remove(); }
    OwnSprite(const OwnSprite&) = delete;
    OwnSprite& operator=(const OwnSprite&) = delete;
    OwnSprite(OwnSprite&& other) noexcept;
    OwnSprite& operator=(OwnSprite&& other) noexcept;

    // A picture of `size` (each side at least 1) filled with the colour key,
    // added to `group` at `place` and `depth` with `flags` | ALPHA_LAYER |
    // TRANS_COLOR. False without a group.
    bool create(SpriteGroup* group, Size size, Point place, int32_t depth, uint32_t flags, int32_t alpha);
    // Takes over a sprite already in `group` (one sharing another's
    // definition, say): it is removed with this.
    void adopt(SpriteGroup* group, Sprite* sprite);
    // A new size of picture, every pixel the colour key; place and looks stay.
    void resize(Size size);
    void remove();

    Sprite* get() const;
    // The picture to draw into; null without a sprite.
    Bitmap* picture() const;
    // After drawing into the picture: report the sprite's rectangle.
    void changed() const;

private:
    Sprite* sprite_ = nullptr;
    SpriteGroup* group_ = nullptr;
};

// Copies `frame` into `picture` at `at` (clipped), each opaque pixel through
// `paint` (a callable uint16_t -> uint16_t); colour-key pixels are skipped.
template <typename Paint>
void copy_frame(const FrameView& frame, Bitmap& picture, Point at, Paint&& paint) {
    for (int32_t y = 0; y < frame.size.height; ++y) {
        const int32_t ty = at.y + y;
        if (ty < 0 || ty >= picture.height) continue;
        for (int32_t x = 0; x < frame.size.width; ++x) {
            const int32_t tx = at.x + x;
            const uint16_t pixel = frame.at(x, y);
            if (tx < 0 || tx >= picture.width || pixel == kColorKey) continue;
            picture.pixels[picture.index(tx, ty)] = paint(pixel);
        }
    }
}

// Every pixel the colour key.
void clear_picture(Bitmap& picture);
