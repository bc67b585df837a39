// DRAGONFLY: a flier ("combat/fej.spr") follows the "Place" path around the
// reference point, turned toward where it is heading, trailing particles
// from the point two steps behind it. At the path's end, or when the effect
// is stopped, the flier fades out; then its particles die out.
#include <memory>
#include <optional>

#include "engine/graphics/sprite.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_math.h"
#include "game/effects/effect_types.h"
#include "game/effects/flying_sprite.h"
#include "game/effects/motion_path.h"
#include "game/effects/particle_system.h"

namespace {

constexpr int32_t kFlierDepth = 100;
constexpr uint32_t kFlierFlags = ALPHA_LAYER | RZ_ROTOZOOMED;  // 513
constexpr int32_t kLookAhead = 5;
constexpr int32_t kTrail = 2;

class DragonflyEffect : public EffectObject {
public:
    DragonflyEffect(const ParticleParams& params, EffectTarget& target, PathWalk walk)
        : particles_(params, target.layer, target.origin()),
          flier_(target.layer, "combat/fej.spr", kFlierFlags, kFlierDepth, 32),
          base_(target.origin()),
          walk_(std::move(walk)) {}

    EffectProgress step(EffectTarget&) override {
        if (walk_.done() || !flier_) return fade();
        const int32_t s = walk_.step();
        Point point;
        walk_.next(point);
        const Point at = base_ + point;
        flier_.move_to(at, kFlierDepth);
        const Point ahead = s + 7 < walk_.steps() ? base_ + walk_.point_of(s + kLookAhead) : at + Point{10, 10};
        flier_.get()->set_rotation(direction_of(ahead.x - at.x, ahead.y - at.y));
        const bool trailing = s >= kTrail;
        if (trailing) particles_.set_emitter(base_ + walk_.point_of(s - kTrail));
        particles_.update(trailing);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        const bool flier_gone = fade() != EffectProgress::kRunning;
        return flier_gone && particles_.count() == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    // One frame of the flier fading out, its particles living on; ending
    // once the flier is gone.
    EffectProgress fade() {
        if (flier_) {
            flier_.get()->add_alpha(-1);
            if (flier_.get()->alpha <= 0) flier_.remove();
        }
        particles_.update(false);
        return flier_ ? EffectProgress::kRunning : EffectProgress::kEnding;
    }

    ParticleSystem particles_;
    FlyingSprite flier_;
    Point base_;
    PathWalk walk_;
};

}  // namespace

std::unique_ptr<EffectObject> make_dragonfly_effect(EffectFile& file, EffectTarget& target) {
    PathWalk walk(MotionPath(file.places()), file.get("Nsteps", 0), 0);
    ParticleParams params = ParticleParams::trail();
    params.read(file);
    return std::make_unique<DragonflyEffect>(params, target, std::move(walk));
}
