// A particle system: an emitter point that spawns sprites with random
// velocities, which then fly under gravity with drag, bounce on a bottom
// line or are drawn toward a collect point, and fade out when their life is
// over. Positions and velocities are 16.16 fixed point, so a seeded run
// gives the same frames everywhere.
//
// Every particle is a sprite sharing the particle sprite's definition, in
// the effect layer at depth 1000. A particle sprite that cannot be loaded
// gives particles without a picture (the system still runs its course).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/geometry.h"

class EffectFile;
class Sprite;
class SpriteGroup;

struct ParticleParams {
    std::string sprite = "kakukk";  // the particle sprite file; finds nothing by default
    int32_t animate = 0;            // particles play "Anim"
    int32_t chg_alpha = 0;          // alpha change of the fade in and out
    int32_t s = 1;                  // divides P1 and P2 (at least 1)
    int32_t gx = 0, gy = 0;         // 16.16, added to the velocity every step
    int32_t ttl = 0;                // steps a particle lives before it fades
    int32_t spawn_count = 0;        // particles per step
    int32_t p1 = 0, p2 = 0, p3 = 0;
    int32_t speed = 0;              // steps skipped between particle steps
    int32_t collect = 0;            // particles gather at the emitter
    int32_t collect_dist_x = 50, collect_dist_y = 50;
    int32_t collect_speed = 20;     // pixels a step at most, each axis
    int32_t collect_dir = 5;        // 0 left, 1 above, 2 right, 3 below, else around
    int32_t alpha_speed = 2;        // steps between alpha changes (at least 1)
    int32_t from_one_point = 0;     // start on the emitter, not five steps out
    int32_t no_square = 1;          // velocities fill a circle
    int32_t bottom = -1;            // the line particles bounce on; -1 none
    int32_t bottom_orientation = 0; // 0 the line is an x, 1 a y

    // The keys of a particle effect, over these values as defaults.
    void read(EffectFile& file);
    // The defaults of the particles that trail a flying emitter.
    static ParticleParams trail();
};

class ParticleSystem {
public:
    // The particles go into `layer`; the particle sprite is loaded here.
    ParticleSystem(const ParticleParams& params, SpriteGroup* layer, Point emitter);
    // Removes every particle sprite.
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    void set_emitter(Point emitter) { emitter_ = emitter; }
    Point emitter() const { return emitter_; }
    // One frame: spawns (when `spawning`) and moves every particle. Returns
    // how many particles remain.
    int32_t update(bool spawning);
    int32_t count() const { return int32_t(particles_.size()); }
    size_t capacity() const { return particles_.capacity(); }

    struct Particle {
        Sprite* sprite = nullptr;  // null without a particle picture
        int32_t x = 0, y = 0;      // 16.16
        int32_t vx = 0, vy = 0;    // 16.16
        int32_t gx = 0, gy = 0;
        int32_t life = 0;
        int32_t alpha = 32;
        int32_t collect_x = 0, collect_y = 0;  // 16.16, in collect mode
    };
    const std::vector<Particle>& particles() const { return particles_; }

private:
    void spawn();
    void random_velocity(Particle& p) const;
    void start_beside_emitter(Particle& p) const;
    // One step of one particle; false when it is gone.
    bool step(Particle& p);
    void move(Particle& p) const;
    void bounce(Particle& p) const;
    void show(Particle& p);

    ParticleParams params_;
    SpriteGroup* layer_ = nullptr;
    Sprite* picture_ = nullptr;  // the loaded particle sprite, outside any group
    Point emitter_;
    int32_t delay_ = 0;
    int32_t step_count_ = 0;  // for the every-AlphaSpeed-steps changes
    std::vector<Particle> particles_;
};
