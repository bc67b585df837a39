// SNAKE and SNAKEX: a chain of sprites ("Count" of them, one every
// "FollowUp" frames unless "StartAll") circles an origin on an ellipse whose
// radii swing between their minimum and maximum, so that they seem to wind
// around the target: nearer sprites are bigger and drawn in front. The
// origin itself sways by "dx", "dy" ("Move"); the "Div" keys tilt the orbit,
// and then the sprites dim behind the target instead of changing depth.
//
// A sprite with a life ("TTL" frames) fades out by "AlphaChg" a frame when
// it runs out; once the effect ends, those without one fade too (all at once
// with "Endall", else one every "FollowUp" frames), and sprites not started
// yet never start. The effect is done when no sprite is left.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/core/fixed_math.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kMostSprites = 200;  // a bound for wild files
constexpr uint32_t kSnakeFlags = 257;
constexpr int32_t kFrontDepth = 1000, kBackDepth = 0;
constexpr int32_t kDimAlpha = 10;
constexpr int32_t kOrbitEvery = 4;  // frames between orbit steps

int32_t degrees(int64_t d) {
    d %= 360;
    return int32_t(d < 0 ? d + 360 : d);
}

int32_t sine_times(int32_t length, int32_t angle) {
    return int32_t(int64_t(length) * fix_sin(degrees(angle) * kFixedOne) / kFixedOne);
}

// A value that swings between low and high by `step`, turning at the ends.
struct Swing {
    int32_t value = 0, low = 0, high = 0, direction = 1;

    static Swing between(int32_t a, int32_t b) { return {std::min(a, b), std::min(a, b), std::max(a, b), 1}; }
    void move(int32_t step) {
        value += direction * step;
        if (value >= high) value = high, direction = -1;
        if (value <= low) value = low, direction = 1;
    }
};

// The origin's sway on one axis: within -range .. range, `step` every
// `every` frames; at the end it turns back, or starts again from the other
// side without "turnback".
struct Sway {
    int32_t offset = 0, range = 0, step = 0, every = 1, frames = 0, direction = 1;
    bool turn_back = true;

    void advance() {
        if (range <= 0 || ++frames < every) return;
        frames = 0;
        offset += direction * step;
        if (offset > range || offset < -range) {
            if (turn_back) {
                offset = std::clamp(offset, -range, range);
                direction = -direction;
            } else {
                offset = offset > range ? -range : range;
            }
        }
    }
};

struct SnakeSprite {
    OwnSprite sprite;
    int32_t angle = 0;
    Swing radius1, radius2;
    int32_t life = -1;  // frames left; -1 lives until the effect ends
    bool fading = false;
};

class SnakeEffect : public EffectObject {
public:
    SnakeEffect(int32_t type, EffectFile& file, EffectTarget& target) : layer_(target.layer) {
        read_keys(file);
        origin_ = target.reference + Point{file.coordinate("ox", 0), file.coordinate("oy", 0)};
        if (target.anchored) {
            origin_ = target.anchor;
            if (type == kEffectSnakeX) origin_.y = target.sprite ? target.sprite->y : target.reference.y;
        }
        picture_ = std::make_unique<Sprite>();
        picture_->load(utf8_to_utf16(file.text("Sprite", "kakukk")), 0);
    }

    EffectProgress step(EffectTarget&) override {
        if (to_start_ > 0 && ++start_wait_ >= start_every_) start_next();
        return move_all();
    }

    EffectProgress step_ending(EffectTarget&) override {
        if (!ending_) {
            ending_ = true;
            to_start_ = 0;
            fade_wait_ = follow_up_;
        }
        // Sprites without a life of their own fade now, together or in turn.
        if (++fade_wait_ >= follow_up_ || end_all_) {
            fade_wait_ = 0;
            for (SnakeSprite& s : sprites_) {
                if (s.life >= 0 || s.fading) continue;
                s.fading = true;
                if (!end_all_) break;
            }
        }
        return move_all();
    }

private:
    void read_keys(EffectFile& file) {
        fade_in_ = std::max(file.get("ChgAlpha", 1), 0);
        to_start_ = std::clamp(file.get("Count", 10), 0, kMostSprites);
        radius1_ = {file.coordinate("MinRad1", 60), file.coordinate("MaxRad1", 60)};
        radius2_ = {file.coordinate("MinRad2", 10), file.coordinate("MaxRad2", 10)};
        follow_up_ = std::max(file.get("FollowUp", 10), 0);
        sway_x_ = {0, file.coordinate("dx", 10), file.coordinate("OrigoStepX", 1), file.divisor("OrigoSpeedX", 1), 0, 1,
                   file.get("turnbackx", 1) != 0};
        sway_y_ = {0, file.coordinate("dy", 1), file.coordinate("OrigoStepY", 1), file.divisor("OrigoSpeedY", 1), 0, 1,
                   file.get("turnbacky", 1) != 0};
        animate_ = file.get("Animate", 1) != 0;
        fade_out_ = std::max(file.get("AlphaChg", 1), 1);
        ttl_ = file.get("TTL", 0);
        degree_step_ = file.get("DegStep", 10);
        radius_step_ = file.coordinate("RadStep", 1);
        end_all_ = file.get("Endall", 1) != 0;
        bend_x_ = {0, file.coordinate("DivMaxX", 0), file.coordinate("DivStepX", 0), file.divisor("DivSpeedX", 0), 0, 1, true};
        bend_y_ = {0, file.coordinate("DivMaxY", 0), file.coordinate("DivStepY", 0), file.divisor("DivSpeedY", 0), 0, 1, true};
        bend_divisor_ = {file.divisor("DivX", 1), file.divisor("DivY", 1)};
        moves_ = file.get("Move", 1) != 0;
        start_every_ = file.get("StartAll", 0) != 0 ? 0 : follow_up_;
        start_wait_ = start_every_;  // the first one starts at once
    }

    bool bent() const { return bend_x_.range > 0 || bend_y_.range > 0; }

    // Starts one sprite, or every one left without a follow-up time.
    void start_next() {
        start_wait_ = 0;
        do {
            --to_start_;
            if (!layer_) continue;
            SnakeSprite s;
            Sprite* sprite = layer_->create_shared_sprite(*picture_, 0, -20, kFrontDepth, 0, kSnakeFlags, 0);
            sprite->alpha = fade_in_ > 0 ? 0 : 32;
            if (animate_) sprite->set_animation("Anim");
            s.sprite.adopt(layer_, sprite);
            s.radius1 = Swing::between(radius1_.x, radius1_.y);
            s.radius2 = Swing::between(radius2_.x, radius2_.y);
            s.life = ttl_ > 0 ? ttl_ : -1;
            sprites_.push_back(std::move(s));
        } while (to_start_ > 0 && start_every_ == 0);
    }

    EffectProgress move_all() {
        if (moves_) {
            sway_x_.advance();
            sway_y_.advance();
        }
        bend_x_.advance();
        bend_y_.advance();
        const bool orbit_step = frame_++ % kOrbitEvery == 0;
        for (SnakeSprite& s : sprites_) move(s, orbit_step);
        std::erase_if(sprites_, [](const SnakeSprite& s) { return !s.sprite.get() || s.sprite.get()->alpha == 0; });
        return sprites_.empty() && to_start_ == 0 ? EffectProgress::kDone : EffectProgress::kRunning;
    }

    void move(SnakeSprite& s, bool orbit_step) {
        Sprite* sprite = s.sprite.get();
        if (!sprite) return;
        if (orbit_step) {
            s.angle = degrees(int64_t(s.angle) + degree_step_);
            s.radius1.move(radius_step_);
            s.radius2.move(radius_step_);
        }
        const int32_t r1 = s.radius1.value, r2 = s.radius2.value;
        const Point centre = origin_ + Point{sway_x_.offset, sway_y_.offset};
        Point at = centre + Point{sine_times(r1, s.angle + 90), -sine_times(r2, s.angle)};
        const bool in_front = s.angle == 0 || s.angle >= 180;
        if (bent()) {
            at = at + Point{sine_times(bend_x_.offset, s.angle) / bend_divisor_.x,
                            sine_times(bend_y_.offset, s.angle + 90) / bend_divisor_.y};
        }
        sprite->set_position(at.x, at.y, bent() ? kFrontDepth : in_front ? kFrontDepth : kBackDepth);
        sprite->set_zoom(std::clamp(int32_t((int64_t(r1) + r2) * 1024 / 150), 600, 1024));
        if (animate_) {
            sprite->animate();
            sprite->invalidate();
        }
        if (s.life > 0 && --s.life == 0) s.fading = true;
        // Behind the target a tilted orbit dims its sprites instead.
        const int32_t goal = bent() && !in_front ? kDimAlpha : 32;
        if (s.fading) {
            sprite->add_alpha(-fade_out_);
        } else if (sprite->alpha > goal || fade_in_ == 0) {
            sprite->set_alpha(goal);
        } else {
            sprite->set_alpha(std::min(goal, sprite->alpha + fade_in_));
        }
    }

    SpriteGroup* layer_;
    std::unique_ptr<Sprite> picture_;  // the sprite file, shared by every sprite
    Point origin_{0, 0};
    int32_t fade_in_ = 1, fade_out_ = 1, to_start_ = 0, ttl_ = 0;
    int32_t follow_up_ = 0;    // frames between sprites starting, and fading in turn
    int32_t start_every_ = 0;  // frames between starts: 0 with "StartAll"
    Point radius1_{60, 60}, radius2_{10, 10};  // min, max
    Sway sway_x_, sway_y_, bend_x_, bend_y_;
    Point bend_divisor_{1, 1};
    bool animate_ = true, end_all_ = true, moves_ = true, ending_ = false;
    int32_t degree_step_ = 10, radius_step_ = 1;
    int32_t start_wait_ = 0, fade_wait_ = 0, frame_ = 0;
    std::vector<SnakeSprite> sprites_;
};

}  // namespace

std::unique_ptr<EffectObject> make_snake_effect(int32_t type, EffectFile& file, EffectTarget& target) {
    return std::make_unique<SnakeEffect>(type, file, target);
}
