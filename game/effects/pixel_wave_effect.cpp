// PIXELWAVE: a copy of the target, wider by the wave's width, stands in for
// it while every row of the target's frame sways sideways on a sine wave.
// The phase moves "PIX_WAVE_SPEED" degrees a frame; each full turn uses up
// one of "REPEAT" repeats (a negative count never runs out).
#include <algorithm>

#include "engine/graphics/sprite.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"
#include "game/effects/effect_wave.h"

namespace {

class PixelWaveEffect : public EffectObject {
public:
    PixelWaveEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          width_(std::max(file.get("PIX_WAVE_MAX", 0), 0) & ~1),
          frequency_(file.get("PIX_WAVE_FREQ", 0)),
          speed_(file.get("PIX_WAVE_SPEED", 0)),
          repeat_(file.get("REPEAT", -1)) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        const Point place = frame_top_left(*sprite) - Point{width_ / 2, 0};
        copy_.create(copy_group(target), {sprite->frame_width + width_, sprite->frame_height}, place,
                     sprite->depth, 0, target_.saved_alpha());
        target_.set_alpha(0);
    }

    EffectProgress step(EffectTarget&) override {
        Sprite* sprite = target_.get();
        Bitmap* picture = copy_.picture();
        if (!sprite || !picture || repeat_ == 0) return EffectProgress::kDone;
        copy_.resize({sprite->frame_width + width_, sprite->frame_height});
        draw_wave(current_frame(*sprite), *copy_.picture(), width_ / 2, frequency_, phase_,
                  [](uint16_t pixel) { return pixel; });
        const Point place = frame_top_left(*sprite) - Point{width_ / 2, 0};
        copy_.get()->set_position(place.x, place.y, sprite->depth);
        copy_.changed();
        const int32_t turns = advance_phase(phase_, speed_);
        if (repeat_ > 0) repeat_ = std::max(repeat_ - turns, 0);
        return repeat_ == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override { return EffectProgress::kDone; }

private:
    TargetLook target_;
    OwnSprite copy_;
    int32_t width_;  // the extra width: twice the amplitude
    int32_t frequency_, speed_, repeat_;
    int32_t phase_ = 0;
};

}  // namespace

std::unique_ptr<EffectObject> make_pixel_wave_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<PixelWaveEffect>(file, target);
}
