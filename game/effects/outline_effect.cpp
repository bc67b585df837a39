// SPECIALEFFECT: an outline of the target in one colour, centred on it: in
// each row the first and the last pixel of every run of opaque pixels. Every
// "Speed" frames it zooms by "ZoomStep" while that keeps it within 1024 ..
// "ZoomMax", and every "AlphaSpeed" of those steps its alpha moves by
// "AlphaStep" until it reaches 0 or 32 (a negative step starts at 32). It
// runs until the effect is stopped, and then finishes at once.
#include <algorithm>

#include "engine/graphics/sprite.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kPlainZoom = 1024;

// The edges of every opaque run of each row of `frame`, in `color`.
void draw_outline(const FrameView& frame, Bitmap& picture, uint16_t color) {
    clear_picture(picture);
    for (int32_t y = 0; y < frame.size.height && y < picture.height; ++y) {
        for (int32_t x = 0; x < frame.size.width && x < picture.width; ++x) {
            if (frame.at(x, y) == kColorKey) continue;
            const bool opens = x == 0 || frame.at(x - 1, y) == kColorKey;
            const bool closes = x + 1 == frame.size.width || frame.at(x + 1, y) == kColorKey;
            if (opens || closes) picture.pixels[picture.index(x, y)] = color;
        }
    }
}

class OutlineEffect : public EffectObject {
public:
    OutlineEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          color_(file.color("RED", "GREEN", "BLUE", 0, 0, 0)),
          alpha_step_(file.get("AlphaStep", -1)),
          zoom_max_(file.get("ZoomMax", -1)),
          zoom_step_(file.get("ZoomStep", 100)),
          speed_(file.divisor("Speed", 3)),
          alpha_speed_(file.divisor("AlphaSpeed", 3)) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        copy_.create(copy_group(target), {sprite->frame_width, sprite->frame_height}, centre_of(*sprite),
                     sprite->depth + 1, RZ_ZOOMED | GRAB_CENTER, alpha_step_ < 0 ? 32 : 0);
    }

    EffectProgress step(EffectTarget&) override {
        Sprite* sprite = target_.get();
        Sprite* outline = copy_.get();
        if (!sprite || !outline) return EffectProgress::kRunning;
        rebuild_if_needed(*sprite);
        if (++frames_ >= speed_) {
            frames_ = 0;
            change(*outline);
        }
        const Point centre = centre_of(*sprite);
        outline->set_position(centre.x, centre.y, sprite->depth + 1);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override { return EffectProgress::kDone; }

private:
    static Point centre_of(const Sprite& sprite) {
        return frame_top_left(sprite) + Point{sprite.frame_width / 2, sprite.frame_height / 2};
    }

    void change(Sprite& outline) {
        const int64_t zoom = int64_t(outline.zoom) + zoom_step_;
        if (zooming_ && zoom >= kPlainZoom && zoom <= zoom_max_) outline.set_zoom(int32_t(zoom));
        else zooming_ = false;
        if (!fading_ || ++steps_ < alpha_speed_) return;
        steps_ = 0;
        outline.set_alpha(int32_t(std::clamp<int64_t>(int64_t(outline.alpha) + alpha_step_, 0, 32)));
        if (outline.alpha == 0 || outline.alpha == 32 || alpha_step_ == 0) fading_ = false;
    }

    void rebuild_if_needed(const Sprite& sprite) {
        const FrameKey key = frame_key(sprite);
        if (key == shown_) return;
        shown_ = key;
        copy_.resize({sprite.frame_width, sprite.frame_height});
        draw_outline(current_frame(sprite), *copy_.picture(), color_);
        copy_.changed();
    }

    TargetLook target_;
    OwnSprite copy_;
    uint16_t color_;
    int32_t alpha_step_, zoom_max_, zoom_step_, speed_, alpha_speed_;
    int32_t frames_ = 0, steps_ = 0;
    bool zooming_ = true, fading_ = true;
    FrameKey shown_;
};

}  // namespace

std::unique_ptr<EffectObject> make_outline_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<OutlineEffect>(file, target);
}
