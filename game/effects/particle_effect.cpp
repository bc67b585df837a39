// PARTICLESYS, PARTICLESYSX, PARTICLESYSX2: a particle system whose emitter
// stands still or, with "Move", follows the "Place" path. While the effect
// runs it spawns; once it ends the particles live on until none is left.
#include <memory>
#include <optional>
#include <vector>

#include "engine/graphics/sprite.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_types.h"
#include "game/effects/motion_path.h"
#include "game/effects/particle_system.h"

namespace {

class ParticleEffect : public EffectObject {
public:
    ParticleEffect(const ParticleParams& params, EffectTarget& target, Point base, Point emitter,
                   std::optional<PathWalk> path)
        : system_(params, target.layer, emitter), base_(base), path_(std::move(path)) {}

    EffectProgress step(EffectTarget&) override {
        if (path_) {
            if (path_->done()) {
                path_.reset();
                return EffectProgress::kEnding;
            }
            Point point;
            if (path_->next(point)) system_.set_emitter({base_.x + point.x, base_.y + point.y});
        }
        system_.update(true);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        return system_.update(false) == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    ParticleSystem system_;
    Point base_;  // path points are relative to it
    std::optional<PathWalk> path_;
};

// Where an anchored emitter of each particle type stands.
Point anchored_emitter(int32_t type, const EffectTarget& target) {
    if (type == kEffectParticleSys || !target.sprite) return target.anchor;
    if (type == kEffectParticleSysX) return {target.anchor.x, target.sprite->y};
    return {target.anchor.x, target.sprite->y - target.sprite->frame_height};
}

}  // namespace

std::unique_ptr<EffectObject> make_particle_effect(int32_t type, EffectFile& file, EffectTarget& target) {
    ParticleParams params;
    params.read(file);
    const std::vector<Point> places = file.places();
    const bool moving = file.get("Move", 0) != 0;
    const int32_t steps = file.get("Nsteps", 0);
    Point base = target.reference;
    Point emitter = base;
    std::vector<Point> path_points = places;
    if (target.anchored) {
        // The anchor stands for every "Place" point.
        base = {0, 0};
        emitter = anchored_emitter(type, target);
        path_points.assign(places.size(), emitter);
    } else if (!places.empty()) {
        emitter = {base.x + places[0].x, base.y + places[0].y};
    }
    std::optional<PathWalk> path;
    if (moving) path.emplace(MotionPath(std::move(path_points)), steps, 0);
    return std::make_unique<ParticleEffect>(params, target, base, emitter, std::move(path));
}
