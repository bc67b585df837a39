// COLORCHANGER: a copy of the target in front of it, recoloured from the
// luminance of each pixel ("Color": 0 grey, 1 red, 2 green, 3 grey), fades
// in on a ramp of "Steps" steps, one step every "Speed" frames, and fades out
// on the same ramp once the effect ends. "Mode" 1 holds the colour once the
// ramp is up; "Mode" 0 pulses up and down until the end. Other modes count
// as 1 and other colours as 0, so a file without them still finishes.
#include <algorithm>

#include "engine/graphics/sprite.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kFrontOfTarget = 100;

class ColorChangerEffect : public EffectObject {
public:
    ColorChangerEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          pulse_(file.get("Mode", 255) == 0),
          speed_(file.divisor("Speed", 255)),
          steps_(file.divisor("Steps", 255)),
          color_(file.get("Color", 255)) {
        if (color_ < 0 || color_ > 3) color_ = 0;
        Sprite* sprite = target_.get();
        if (!sprite) return;
        copy_.create(copy_group(target), {sprite->frame_width, sprite->frame_height}, frame_top_left(*sprite),
                     sprite->depth + kFrontOfTarget, 0, 0);
    }

    EffectProgress step(EffectTarget&) override {
        if (!follow_target()) return EffectProgress::kDone;
        if (tick()) {
            if (pulse_ && (step_ == steps_ || step_ == 0)) rising_ = step_ == 0;
            if (rising_ && step_ < steps_) ++step_;
            else if (!rising_ && step_ > 0) --step_;
        }
        show_step();
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        if (!follow_target() || step_ == 0) return EffectProgress::kDone;
        if (tick()) --step_;
        show_step();
        return step_ == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    bool tick() {
        if (++frames_ < speed_) return false;
        frames_ = 0;
        return true;
    }

    void show_step() {
        if (Sprite* copy = copy_.get()) copy->set_alpha(int32_t(int64_t(step_) * 32 / steps_));
    }

    // Keeps the copy on the target, showing its current frame; false once
    // either is gone.
    bool follow_target() {
        Sprite* sprite = target_.get();
        Sprite* copy = copy_.get();
        if (!sprite || !copy) return false;
        const Point place = frame_top_left(*sprite);
        copy->set_position(place.x, place.y, sprite->depth + kFrontOfTarget);
        const FrameKey key = frame_key(*sprite);
        if (key == shown_) return true;
        shown_ = key;
        copy_.resize({sprite->frame_width, sprite->frame_height});
        clear_picture(*copy_.picture());
        const int32_t color = color_;
        copy_frame(current_frame(*sprite), *copy_.picture(), {0, 0},
                   [=](uint16_t pixel) { return luminance_color(luminance565(pixel), color); });
        copy_.changed();
        return true;
    }

    TargetLook target_;
    OwnSprite copy_;
    bool pulse_;
    int32_t speed_, steps_, color_;
    int32_t frames_ = 0;
    int32_t step_ = 0;  // on the ramp, 0 .. steps
    bool rising_ = true;
    FrameKey shown_;
};

}  // namespace

std::unique_ptr<EffectObject> make_color_changer_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<ColorChangerEffect>(file, target);
}
