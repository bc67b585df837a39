#include "game/effects/particle_system.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_math.h"

namespace {

constexpr int32_t kParticleDepth = 1000;
constexpr int32_t kOpaque = 32;
// A script asking for more stops spawning here rather than exhausting memory.
constexpr int32_t kMaxParticles = 4000;
constexpr int32_t kStartSteps = 5;  // a particle starts this many steps out
constexpr int32_t kDragNumerator = 243;

// (v + g) / 256 x 243: a drag of about 5 % a step.
int32_t dragged(int32_t v, int32_t g) { return trunc32((int64_t(v) + g) / 256 * kDragNumerator); }

}  // namespace

void ParticleParams::read(EffectFile& file) {
    sprite = file.text("Sprite", sprite.c_str());
    animate = file.get("Animate", animate);
    chg_alpha = file.get("ChgAlpha", chg_alpha);
    s = file.divisor("S", s);
    gx = file.get("GX", gx);
    gy = file.get("GY", gy);
    ttl = file.get("TTL", ttl);
    spawn_count = std::clamp(file.get("SpawnCount", spawn_count), 0, kMaxParticles);
    p1 = file.get("P1", p1);
    p2 = file.get("P2", p2);
    p3 = file.get("P3", p3);
    speed = std::max(file.get("Speed", speed), 0);
    collect = file.get("Collect", collect);
    collect_dist_x = file.coordinate("CollectdistX", collect_dist_x);
    collect_dist_y = file.coordinate("CollectdistY", collect_dist_y);
    collect_speed = file.get("Collectspeed", collect_speed);
    collect_dir = file.get("Collectdir", collect_dir);
    alpha_speed = file.divisor("AlphaSpeed", alpha_speed);
    from_one_point = file.get("From1point", from_one_point);
    no_square = file.get("NoSquare", no_square);
    bottom = file.coordinate("Bottom", bottom);
    bottom_orientation = file.get("BottomOrientation", bottom_orientation);
}

ParticleParams ParticleParams::trail() {
    ParticleParams p;
    p.chg_alpha = 1;
    p.s = 10;
    p.ttl = 30;
    p.spawn_count = 1;
    p.p1 = 10;
    p.p2 = 20;
    p.p3 = 10;
    return p;
}

ParticleSystem::ParticleSystem(const ParticleParams& params, SpriteGroup* layer, Point emitter)
    : params_(params), layer_(layer), emitter_(emitter) {
    params_.s = std::max(params_.s, 1);
    params_.alpha_speed = std::max(params_.alpha_speed, 1);
    params_.spawn_count = std::clamp(params_.spawn_count, 0, kMaxParticles);
    auto* picture = new Sprite;
    if (layer_ && picture->load(utf8_to_utf16(params_.sprite), 0)) picture_ = picture;
    else delete picture;
}

ParticleSystem::~ParticleSystem() {
    for (Particle& p : particles_)
        if (p.sprite && layer_) layer_->remove_sprite(p.sprite);
    delete picture_;
}

int32_t ParticleSystem::update(bool spawning) {
    if (delay_ > 0) {
        --delay_;
        return count();
    }
    delay_ = params_.speed;
    ++step_count_;
    if (spawning)
        for (int32_t i = 0; i < params_.spawn_count && count() < kMaxParticles; ++i) spawn();
    // Particles that are gone leave the list; the others keep their order.
    size_t kept = 0;
    for (size_t i = 0; i < particles_.size(); ++i)
        if (step(particles_[i])) particles_[kept++] = particles_[i];
    particles_.resize(kept);
    return count();
}

void ParticleSystem::spawn() {
    if (particles_.size() == particles_.capacity())
        particles_.reserve(particles_.capacity() + particles_.capacity() / 4 + 2);
    Particle p;
    p.gx = params_.gx;
    p.gy = params_.gy;
    p.life = params_.ttl;
    if (params_.collect != 0) {
        start_beside_emitter(p);
        if (params_.chg_alpha != 0) p.alpha = 0;
    } else {
        p.x = to_fixed(emitter_.x);
        p.y = to_fixed(emitter_.y);
        random_velocity(p);
        if (params_.from_one_point == 0) {
            p.x = trunc32(int64_t(p.x) + int64_t(p.vx) * kStartSteps);
            p.y = trunc32(int64_t(p.y) + int64_t(p.vy) * kStartSteps);
        }
    }
    if (layer_ && picture_) {
        p.sprite = layer_->create_shared_sprite(*picture_, to_pixels(p.x), to_pixels(p.y), kParticleDepth, 0,
                                                ALPHA_LAYER, 0);
        p.sprite->alpha = p.alpha;
        if (params_.animate != 0) p.sprite->set_animation("Anim");
    }
    particles_.push_back(p);
}

void ParticleSystem::random_velocity(Particle& p) const {
    const int32_t range = params_.p1 / params_.s;
    const int32_t offset = params_.p2 / params_.s;
    p.vx = trunc32(int64_t(params_.p3) * (int64_t(effect_random(range)) - offset));
    p.vy = trunc32(int64_t(params_.p3) * (int64_t(effect_random(range)) - offset));
    if (params_.no_square == 0) return;
    // The longest component any draw can give is the circle's radius.
    const int64_t low = -int64_t(offset), high = int64_t(std::max(range, 1)) - 1 - offset;
    const __int128 radius = __int128(std::llabs(params_.p3)) * std::max(std::llabs(low), std::llabs(high));
    auto length_squared = [&] { return __int128(p.vx) * p.vx + __int128(p.vy) * p.vy; };
    while (length_squared() > radius * radius) {
        int32_t& v = (crt_rand() & 1) ? p.vx : p.vy;
        v = trunc32(int64_t(v) * 2 / 3);  // shrinks every non-zero value
    }
}

void ParticleSystem::start_beside_emitter(Particle& p) const {
    const int32_t dx = params_.collect_dist_x, dy = params_.collect_dist_y;
    Point start = emitter_;
    switch (params_.collect_dir) {
    case 0: start = {emitter_.x - effect_random(dx), emitter_.y + effect_random_offset(dy)}; break;
    case 1: start = {emitter_.x + effect_random_offset(dx), emitter_.y - effect_random(dy)}; break;
    case 2: start = {emitter_.x + effect_random(dx), emitter_.y + effect_random_offset(dy)}; break;
    case 3: start = {emitter_.x + effect_random_offset(dx), emitter_.y + effect_random(dy)}; break;
    default: start = {emitter_.x + effect_random_offset(dx), emitter_.y + effect_random_offset(dy)}; break;
    }
    p.x = to_fixed(start.x);
    p.y = to_fixed(start.y);
    p.collect_x = to_fixed(emitter_.x);
    p.collect_y = to_fixed(emitter_.y);
}

bool ParticleSystem::step(Particle& p) {
    const bool fading_allowed = params_.chg_alpha != 0;
    if (p.life <= 0 && !(fading_allowed && p.alpha > 0)) {
        if (p.sprite && layer_) layer_->remove_sprite(p.sprite);
        p.sprite = nullptr;
        return false;
    }
    const bool alpha_step = step_count_ % params_.alpha_speed == 0;
    // A negative change would never fade a particle out: fading always
    // lowers the alpha, by at least 1.
    const int32_t change = std::max(abs32(params_.chg_alpha), 1);
    if (p.life <= 0 && alpha_step) p.alpha = std::max(p.alpha - change, 0);
    move(p);
    if (p.life > 0 && fading_allowed && alpha_step) p.alpha = std::min(p.alpha + change, kOpaque);
    show(p);
    if (p.life > 0) --p.life;
    return true;
}

void ParticleSystem::move(Particle& p) const {
    if (params_.collect != 0) {
        const int64_t limit = int64_t(abs32(params_.collect_speed)) * kFixedOne;
        auto approach = [&](int32_t& at, int32_t target) {
            const int64_t fifth = (int64_t(target) - at) / 5;
            if (fifth > -kFixedOne && fifth < kFixedOne) at = target;
            else at = trunc32(at + std::clamp(fifth, -limit, limit));
        };
        approach(p.x, p.collect_x);
        approach(p.y, p.collect_y);
        return;
    }
    p.x = trunc32(int64_t(p.x) + p.vx);
    p.y = trunc32(int64_t(p.y) + p.vy);
    p.vx = dragged(p.vx, p.gx);
    p.vy = dragged(p.vy, p.gy);
    bounce(p);
}

void ParticleSystem::bounce(Particle& p) const {
    if (params_.bottom == -1) return;
    int32_t& at = params_.bottom_orientation == 0 ? p.x : p.y;
    int32_t& v = params_.bottom_orientation == 0 ? p.vx : p.vy;
    if (to_pixels(at) < params_.bottom) return;
    at = to_fixed(params_.bottom - 1);
    v = trunc32(int64_t(v) * -16 / 32);
}

void ParticleSystem::show(Particle& p) {
    if (!p.sprite) return;
    p.sprite->set_position(to_pixels(p.x), to_pixels(p.y), kParticleDepth);
    if (params_.animate != 0) p.sprite->animate();
    p.sprite->set_alpha(p.alpha);
}
