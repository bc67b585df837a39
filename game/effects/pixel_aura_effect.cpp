// PIXELAURA: a copy of the target just behind it, zoomed, in the aura colour
// ("COLORIZE") or in its own colours. A shrinking aura ("SHRINK") starts
// large and clear and closes in on the target while it grows opaque, and
// stays until it is stopped; a growing one swells up to "ZOOM_MAX" while it
// fades, and is done once it is clear.
#include <algorithm>

#include "engine/graphics/sprite.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kPlainZoom = 1024;

class PixelAuraEffect : public EffectObject {
public:
    PixelAuraEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          alpha_change_(file.get("ALPHA_CHG", 1)),
          zoom_change_(file.get("ZOOM_CHG", 20)),
          color_(file.color("RED", "GREEN", "BLUE", 31, 63, 31)),
          shrink_(file.get("SHRINK", 31) != 0),
          colorize_(file.get("COLORIZE", 31) != 0),
          alpha_speed_(file.divisor("ALPHASPEED", 5)),
          zoom_max_(file.get("ZOOM_MAX", 31)) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        const int32_t zoom = shrink_ ? std::max(zoom_max_, kPlainZoom) : kPlainZoom;
        copy_.create(copy_group(target), {sprite->frame_width, sprite->frame_height}, {sprite->x, sprite->y},
                     sprite->depth - 1, sprite->flags | ALPHA_LAYER | RZ_ZOOMED, shrink_ ? 0 : 32);
        copy_.get()->zoom = zoom;
    }

    EffectProgress step(EffectTarget&) override {
        Sprite* sprite = target_.get();
        Sprite* aura = copy_.get();
        if (!sprite || !aura) return EffectProgress::kDone;
        rebuild_if_needed(*sprite);
        if (shrink_) {
            aura->set_zoom(std::max(aura->zoom - zoom_change_, kPlainZoom));
            if (tick()) aura->add_alpha(alpha_change_);
        } else {
            if (aura->zoom < zoom_max_) aura->set_zoom(aura->zoom + zoom_change_);
            if (tick()) aura->add_alpha(-alpha_change_);
        }
        const int32_t growth = int32_t(int64_t(sprite->frame_width) * aura->zoom / kPlainZoom) - sprite->frame_width;
        aura->set_position(sprite->x + growth / 4, sprite->y, sprite->depth - 1);
        // Only a growing aura fades out by itself.
        return !shrink_ && aura->alpha == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override { return EffectProgress::kDone; }

private:
    // True on every "ALPHASPEED"-th frame.
    bool tick() {
        if (++frames_ < alpha_speed_) return false;
        frames_ = 0;
        return true;
    }

    void rebuild_if_needed(const Sprite& sprite) {
        const FrameKey key = frame_key(sprite);
        if (key == shown_) return;
        shown_ = key;
        copy_.resize({sprite.frame_width, sprite.frame_height});
        Bitmap* picture = copy_.picture();
        clear_picture(*picture);
        const uint16_t color = color_;
        const bool colorize = colorize_;
        copy_frame(current_frame(sprite), *picture, {0, 0},
                   [=](uint16_t pixel) { return colorize ? color : pixel; });
        copy_.changed();
    }

    TargetLook target_;
    OwnSprite copy_;
    int32_t alpha_change_, zoom_change_;
    uint16_t color_;
    bool shrink_, colorize_;
    int32_t alpha_speed_, zoom_max_;
    int32_t frames_ = 0;
    FrameKey shown_;
};

}  // namespace

std::unique_ptr<EffectObject> make_pixel_aura_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<PixelAuraEffect>(file, target);
}
