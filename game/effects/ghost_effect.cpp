// GHOST: a grey copy of the target (tinted by the ghost colour), swaying on
// a sine wave with "WAVE", showing the target's current frame or the fixed
// frame "SPRITEPHASE". It fades in to alpha 27 while the target fades out
// ("HIDEORIGINAL"), or appears at once with "INSTANT", and rides the "Place"
// path ("MOVE"). Ending, it finishes the path, then the target comes back
// and the ghost goes.
#include <algorithm>
#include <vector>

#include "engine/graphics/sprite.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"
#include "game/effects/effect_wave.h"
#include "game/effects/motion_path.h"

namespace {

constexpr int32_t kGhostAlpha = 27;

uint16_t ghost_color(uint16_t pixel, uint16_t tint) {
    const int32_t l = luminance565(pixel);
    return pack_channels565(std::min((l >> 3) + (tint >> 11), 31), std::min((l >> 2) + ((tint >> 5) & 0x3F), 63),
                       std::min((l >> 3) + (tint & 0x1F), 31));
}

// The ghost's walk along the "Place" points (with "MOVE"), one step every
// "MoveSpeed" + 1 frames; without it the walk has no steps.
PathWalk ghost_walk(EffectFile& file) {
    if (file.get("MOVE", 1) == 0) return {};
    return PathWalk(MotionPath(file.places()), file.get("Nsteps", 0), file.get("MoveSpeed", 0));
}

class GhostEffect : public EffectObject {
public:
    GhostEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          anchored_(target.anchored),
          anchor_(target.anchor),
          wave_(file.get("WAVE", 1) != 0),
          width_(wave_ ? std::max(file.get("PIX_WAVE_MAX", 0), 0) & ~1 : 0),
          frequency_(file.get("PIX_WAVE_FREQ", 0)),
          speed_(file.get("PIX_WAVE_SPEED", 0)),
          tint_(file.color("RED", "GREEN", "BLUE", 0, 0, 0)),
          hide_original_(file.get("HIDEORIGINAL", 1) != 0),
          phase_shown_(file.get("SPRITEPHASE", -1)),
          instant_(file.get("INSTANT", 0) != 0),
          path_(ghost_walk(file)) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        copy_.create(copy_group(target), {sprite->frame_width + width_, sprite->frame_height}, place_of(*sprite),
                     sprite->depth + 1, 0, 0);
    }

    EffectProgress step(EffectTarget&) override {
        Sprite* sprite = target_.get();
        Sprite* ghost = copy_.get();
        if (!sprite || !ghost) return EffectProgress::kDone;
        path_.next(point_);
        draw(*sprite, *ghost);
        if (instant_) {
            ghost->set_alpha(kGhostAlpha);
            if (hide_original_) target_.set_hidden(true);
        } else {
            if (ghost->alpha < kGhostAlpha) ghost->set_alpha(ghost->alpha + 1);
            if (hide_original_ && sprite->alpha > 0) target_.set_alpha(sprite->alpha - 1);
        }
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        Sprite* sprite = target_.get();
        Sprite* ghost = copy_.get();
        if (!sprite || !ghost) return EffectProgress::kDone;
        if (!path_.done()) {
            path_.next(point_);
            draw(*sprite, *ghost);
            return EffectProgress::kRunning;
        }
        draw(*sprite, *ghost);
        const int32_t back = target_.saved_alpha();
        if (instant_) {
            ghost->set_alpha(0);
            target_.set_hidden(false);
            target_.set_alpha(back);
        } else {
            ghost->set_alpha(ghost->alpha - 1);
            if (sprite->alpha != back) target_.set_alpha(sprite->alpha + (sprite->alpha < back ? 1 : -1));
        }
        return ghost->alpha == 0 && sprite->alpha == back ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    Point place_of(const Sprite& sprite) const {
        const Point base = anchored_ ? anchor_ : frame_top_left(sprite);
        return base + point_ - Point{width_ / 2, 0};
    }

    void draw(const Sprite& sprite, Sprite& ghost) {
        const FrameView frame = phase_shown_ == -1 ? current_frame(sprite) : frame_of(sprite, phase_shown_);
        copy_.resize({frame.size.width + width_, frame.size.height});
        const uint16_t tint = tint_;
        auto paint = [=](uint16_t pixel) { return ghost_color(pixel, tint); };
        if (wave_) {
            draw_wave(frame, *copy_.picture(), width_ / 2, frequency_, wave_phase_, paint);
            advance_phase(wave_phase_, speed_);
        } else {
            clear_picture(*copy_.picture());
            copy_frame(frame, *copy_.picture(), {0, 0}, paint);
        }
        const Point place = place_of(sprite);
        ghost.set_position(place.x, place.y, sprite.depth + 1);
        copy_.changed();
    }

    TargetLook target_;
    OwnSprite copy_;
    bool anchored_;
    Point anchor_;
    bool wave_;
    int32_t width_, frequency_, speed_;
    uint16_t tint_;
    bool hide_original_;
    int32_t phase_shown_;
    bool instant_;
    PathWalk path_;
    Point point_{0, 0};  // where the walk stands
    int32_t wave_phase_ = 0;
};

}  // namespace

std::unique_ptr<EffectObject> make_ghost_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<GhostEffect>(file, target);
}
