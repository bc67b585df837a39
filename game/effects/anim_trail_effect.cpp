// ANIMTRAIL: the target plays the animation named like the effect and leaves
// a trail of its frames behind: whenever its frame changes, the frame it
// left stays as a fading copy (at most ten), painted in the trail colour
// with "Paint", else as a sprite of the target's own definition.
#include <algorithm>
#include <deque>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr size_t kMostCopies = 10;

class AnimTrailEffect : public EffectObject {
public:
    AnimTrailEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          group_(copy_group(target)),
          start_alpha_(std::clamp(file.get("StartAlpha", 32), 0, 32)),
          alpha_change_(file.get("ChgAlpha", 1)),
          paint_(file.get("Paint", 20) != 0),
          color_(file.color("Red", "Green", "Blue", 31, 63, 31)) {
        Sprite* sprite = target_.get();
        if (!sprite) return;
        saved_phase_ = sprite->phase;
        sprite->set_animation(file.name());
        if (sprite->def) animation_ = sprite->def->find_animation(file.name());
    }

    ~AnimTrailEffect() override {
        trail_.clear();
        // An animation of the effect's that still runs (a looping one never
        // ends) would keep the action waiting for its sprite.
        Sprite* sprite = target_.get();
        if (!sprite || animation_ < 0 || sprite->current_animation != animation_) return;
        sprite->current_animation = sprite->next_animation = -1;
        sprite->set_phase(saved_phase_);
        sprite->invalidate();
    }

    EffectProgress step(EffectTarget&) override {
        for (OwnSprite& copy : trail_)
            if (Sprite* s = copy.get()) s->add_alpha(-alpha_change_);
        while (!trail_.empty() && (!trail_.front().get() || trail_.front().get()->alpha == 0)) trail_.pop_front();
        Sprite* sprite = target_.get();
        if (!sprite) return EffectProgress::kRunning;
        const FrameKey before = frame_key(*sprite);
        const FrameView frame = current_frame(*sprite);
        const Point top_left = frame_top_left(*sprite);
        const int32_t phase = sprite->phase;
        sprite->animate();
        sprite->invalidate();
        if (frame_key(*sprite) != before) leave_copy(*sprite, frame, top_left, phase);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override { return EffectProgress::kDone; }

private:
    void leave_copy(const Sprite& sprite, const FrameView& frame, Point top_left, int32_t phase) {
        if (!group_) return;
        if (trail_.size() >= kMostCopies) trail_.pop_front();
        trail_.emplace_back();
        OwnSprite& copy = trail_.back();
        if (paint_) {
            if (!copy.create(group_, frame.size, top_left, sprite.depth - 1, 0, start_alpha_)) return;
            const uint16_t color = color_;
            copy_frame(frame, *copy.picture(), {0, 0}, [=](uint16_t) { return color; });
            return;
        }
        Sprite* shared = group_->create_shared_sprite(sprite, sprite.x, sprite.y, sprite.depth, 0, 0, 0);
        shared->assign_flags(sprite.flags | ALPHA_LAYER);
        shared->set_phase(phase);
        shared->alpha = start_alpha_;
        copy.adopt(group_, shared);
    }

    TargetLook target_;
    SpriteGroup* group_;
    int32_t start_alpha_, alpha_change_;
    bool paint_;
    uint16_t color_;
    int32_t saved_phase_ = 0;
    int32_t animation_ = -1;
    std::deque<OwnSprite> trail_;
};

}  // namespace

std::unique_ptr<EffectObject> make_anim_trail_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<AnimTrailEffect>(file, target);
}
