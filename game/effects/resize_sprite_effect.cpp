// RESIZESPRITE: a copy of the target twice its width stands in for it and
// stretches it sideways over nine frames, every n-th pixel of each row drawn
// twice with n counting down from 10; once ending it shrinks back the same
// way. The copy stays centred on the target.
#include <algorithm>

#include "engine/graphics/sprite.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kWidthFactor = 2;  // the copy's width, in target widths
constexpr int32_t kFirstEvery = 10;  // the first frame doubles every 10th pixel
constexpr int32_t kFrames = 9;       // n runs 10 .. 2

class ResizeSpriteEffect : public EffectObject {
public:
    explicit ResizeSpriteEffect(EffectTarget& target) : target_(target.sprite) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        copy_.create(copy_group(target), {sprite->frame_width * kWidthFactor, sprite->frame_height},
                     place_of(*sprite), sprite->depth, 0, target_.saved_alpha());
        target_.set_alpha(0);
    }

    EffectProgress step(EffectTarget&) override {
        if (frame_ >= kFrames) return EffectProgress::kEnding;
        if (!draw(kFirstEvery - frame_)) return EffectProgress::kDone;
        return ++frame_ >= kFrames ? EffectProgress::kEnding : EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        if (back_ >= frame_) return EffectProgress::kDone;
        // Back over the frames the stretch reached, widest first.
        if (!draw(kFirstEvery - frame_ + 1 + back_)) return EffectProgress::kDone;
        return ++back_ >= frame_ ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    static Point place_of(const Sprite& sprite) { return frame_top_left(sprite) - Point{sprite.frame_width / 2, 0}; }

    // One frame with every n-th pixel of each row doubled, centred in the
    // copy; false when the target or the copy is gone.
    bool draw(int32_t every) {
        Sprite* sprite = target_.get();
        Sprite* copy = copy_.get();
        if (!sprite || !copy) return false;
        const FrameView frame = current_frame(*sprite);
        copy_.resize({frame.size.width * kWidthFactor, frame.size.height});
        Bitmap& picture = *copy_.picture();
        clear_picture(picture);
        const int32_t wide = frame.size.width + frame.size.width / every;
        const int32_t left = (picture.width - wide) / 2;
        for (int32_t y = 0; y < frame.size.height; ++y) {
            int32_t x_out = left;
            for (int32_t x = 0; x < frame.size.width; ++x) {
                const int32_t times = x % every == every - 1 ? 2 : 1;
                for (int32_t t = 0; t < times && x_out < picture.width; ++t)
                    picture.pixels[picture.index(x_out++, y)] = frame.at(x, y);
            }
        }
        const Point place = place_of(*sprite);
        copy->set_position(place.x, place.y, sprite->depth);
        copy_.changed();
        return true;
    }

    TargetLook target_;
    OwnSprite copy_;
    int32_t frame_ = 0;  // stretch frames drawn
    int32_t back_ = 0;   // shrink frames drawn
};

}  // namespace

std::unique_ptr<EffectObject> make_resize_sprite_effect(EffectFile&, EffectTarget& target) {
    return std::make_unique<ResizeSpriteEffect>(target);
}
