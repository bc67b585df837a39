// CIRCLEPATH: a particle emitter travels an ellipse around the reference
// point plus "ox", "oy" (or the anchor): each step the angle moves on by
// "DegStep" degrees, the two radii swing between their minimum and maximum
// by "RadStep" every "radchgspeed" steps, the vertical radius is divided by
// "divy", and the centre drifts by "dx", "dy" for "Maxstep" steps and back.
// After "Count" points the path ends and the particles die out.
#include <algorithm>
#include <memory>

#include "game/effects/effect_file.h"
#include "game/effects/effect_math.h"
#include "game/effects/effect_types.h"
#include "game/effects/particle_system.h"

namespace {

// A value that swings between two bounds by a step, turning at each end.
struct Swing {
    int32_t value = 0, low = 0, high = 0, step = 0;
    void advance() {
        if (low > high) std::swap(low, high);
        value = std::clamp(int32_t(int64_t(value) + step), low, high);
        if (value == low || value == high) step = value == low ? abs32(step) : -abs32(step);
    }
};

struct CircleParams {
    int32_t count = 10;
    Swing radius_x, radius_y;
    Point offset{0, 0};
    Point drift{10, 1};
    int32_t degree_step = 10;
    int32_t max_step = 1;
    int32_t radius_speed = 1;
    int32_t divide_y = 2;
};

class CirclePathEffect : public EffectObject {
public:
    CirclePathEffect(const CircleParams& params, const ParticleParams& particles, EffectTarget& target)
        : params_(params), centre_(target.origin() + params.offset), particles_(particles, target.layer, centre_) {}

    EffectProgress step(EffectTarget&) override {
        if (produced_ >= params_.count) return EffectProgress::kEnding;
        particles_.set_emitter(next_point());
        particles_.update(true);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        return particles_.update(false) == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    Point next_point() {
        const int32_t rx = params_.radius_x.value, ry = params_.radius_y.value / params_.divide_y;
        const Point at{trunc32(int64_t(centre_.x) + drift_.x + int64_t(rx) * cos_degrees(angle_) / kFixedOne),
                       trunc32(int64_t(centre_.y) + drift_.y + int64_t(ry) * sin_degrees(angle_) / kFixedOne)};
        angle_ = int32_t((int64_t(angle_) + params_.degree_step) % 360);
        if (++produced_ % params_.radius_speed == 0) {
            params_.radius_x.advance();
            params_.radius_y.advance();
        }
        // The centre drifts out for Maxstep steps, then back again.
        const int32_t leg = produced_ / params_.max_step;
        const int32_t direction = leg % 2 == 0 ? 1 : -1;
        drift_ = {trunc32(drift_.x + int64_t(direction) * params_.drift.x),
                  trunc32(drift_.y + int64_t(direction) * params_.drift.y)};
        return at;
    }

    CircleParams params_;
    Point centre_;
    ParticleSystem particles_;
    Point drift_{0, 0};
    int32_t angle_ = 0;
    int32_t produced_ = 0;
};

}  // namespace

std::unique_ptr<EffectObject> make_circle_path_effect(EffectFile& file, EffectTarget& target) {
    CircleParams c;
    c.count = file.get("Count", c.count);
    const int32_t radius_step = file.coordinate("RadStep", 1);
    c.radius_x = {file.coordinate("MinRad1", 60), file.coordinate("MinRad1", 60), file.coordinate("MaxRad1", 60),
                  radius_step};
    c.radius_y = {file.coordinate("MinRad2", 10), file.coordinate("MinRad2", 10), file.coordinate("MaxRad2", 10),
                  radius_step};
    c.offset = {file.coordinate("ox", 0), file.coordinate("oy", 0)};
    c.drift = {file.coordinate("dx", 10), file.coordinate("dy", 1)};
    c.degree_step = file.get("DegStep", c.degree_step);
    c.max_step = file.divisor("Maxstep", c.max_step);
    c.radius_speed = file.divisor("radchgspeed", c.radius_speed);
    c.divide_y = file.divisor("divy", c.divide_y);
    ParticleParams particles = ParticleParams::trail();
    particles.alpha_speed = 5;
    particles.read(file);
    return std::make_unique<CirclePathEffect>(c, particles, target);
}
