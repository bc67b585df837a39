// MOVE: the target sprite walks the "Place" path (relative to its reference
// point, or to the anchor), one step a frame (every "MoveSpeed" + 1 frames).
// Its duration does not cut the walk short. The walk moves the sprite by an
// offset from where it found it and takes that offset back when the effect
// goes, so an action removed mid-walk leaves no sprite astray, and two
// walks (or a walk and a shake) at once each take back only their own part.
#include <memory>

#include "engine/graphics/sprite.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_types.h"
#include "game/effects/motion_path.h"

namespace {

// Where x, y of a sprite lie for its frame's top-left corner at `corner`.
Point anchored_position(const Sprite& sprite, Point corner) {
    Point p = corner;
    if (sprite.flags & GRAB_RIGHT) p.x += sprite.frame_width;
    else if (sprite.flags & GRAB_HCENTER) p.x += sprite.frame_width / 2;
    if (sprite.flags & GRAB_BOTTOM) p.y += sprite.frame_height;
    else if (sprite.flags & GRAB_VCENTER) p.y += sprite.frame_height / 2;
    return p;
}

class MoveEffect : public EffectObject {
public:
    MoveEffect(Sprite* sprite, Point origin, PathWalk walk)
        : sprite_(sprite), origin_(origin), walk_(std::move(walk)) {
        if (sprite_) start_ = {sprite_->x, sprite_->y};
    }
    ~MoveEffect() override {
        if (sprite_) sprite_->move_by(-offset_.x, -offset_.y);
    }

    EffectProgress step(EffectTarget&) override {
        if (!sprite_ || walk_.done()) return EffectProgress::kDone;
        Point point;
        if (walk_.next(point)) {
            const Point offset = anchored_position(*sprite_, origin_ + point) - start_;
            sprite_->move_by(offset.x - offset_.x, offset.y - offset_.y);
            offset_ = offset;
        }
        return EffectProgress::kRunning;
    }
    EffectProgress step_ending(EffectTarget& target) override { return step(target); }

private:
    Sprite* sprite_;
    Point origin_;
    PathWalk walk_;
    Point start_{0, 0};   // where the sprite stood
    Point offset_{0, 0};  // how far the walk has moved it from there
};

}  // namespace

std::unique_ptr<EffectObject> make_move_effect(EffectFile& file, EffectTarget& target) {
    const int32_t steps = file.get("Nsteps", 0);
    const int32_t delay = file.get("MoveSpeed", 0);
    return std::make_unique<MoveEffect>(target.sprite, target.origin(), PathWalk(MotionPath(file.places()), steps, delay));
}
