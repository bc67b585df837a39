// DIZZY: faint copies of the target ("Num", at most ten, at alpha "Alpha")
// stagger around it, one pixel every "Speed" frames in one of eight
// directions, turning back once they are more than "Maxdist" pixels away and
// taking a new random direction whenever they are level with the target.
// Ending, they walk back into the target and vanish there.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_sprite_copy.h"

namespace {

constexpr int32_t kMostCopies = 10;
constexpr Point kDirections[8] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};

constexpr int32_t sign(int32_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

struct DizzyImage {
    OwnSprite sprite;
    Point offset{0, 0};  // from the target
    Point direction{0, 0};
};

class DizzyEffect : public EffectObject {
public:
    DizzyEffect(EffectFile& file, EffectTarget& target)
        : target_(target.sprite),
          max_distance_(std::max(file.get("Maxdist", 5), 0)),
          speed_(file.divisor("Speed", 5)) {
        const int32_t count = std::clamp(file.get("Num", 5), 0, kMostCopies);
        const int32_t alpha = std::clamp(file.get("Alpha", 10), 0, 32);
        Sprite* sprite = target_.get();
        SpriteGroup* group = copy_group(target);
        if (!sprite || !group) return;
        images_ = std::vector<DizzyImage>(size_t(count));
        for (DizzyImage& image : images_) {
            Sprite* copy = group->create_shared_sprite(*sprite, sprite->x, sprite->y, sprite->depth, 0, 0, 0);
            copy->assign_flags(sprite->flags | ALPHA_LAYER);
            copy->set_phase(sprite->phase);
            copy->alpha = alpha;
            image.sprite.adopt(group, copy);
        }
    }

    EffectProgress step(EffectTarget&) override {
        Sprite* sprite = target_.get();
        if (!sprite) return EffectProgress::kDone;
        if (tick())
            for (DizzyImage& image : images_) wander(image);
        follow(*sprite);
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        Sprite* sprite = target_.get();
        if (!sprite) return EffectProgress::kDone;
        if (tick()) {
            for (DizzyImage& image : images_)
                image.offset = image.offset - Point{sign(image.offset.x), sign(image.offset.y)};
            std::erase_if(images_, [](const DizzyImage& image) { return image.offset == Point{0, 0}; });
        }
        follow(*sprite);
        return images_.empty() ? EffectProgress::kDone : EffectProgress::kRunning;
    }

private:
    bool tick() {
        if (++frames_ < speed_) return false;
        frames_ = 0;
        return true;
    }

    // Too far turns it back (before anything else, so that it never strays
    // more than a pixel past the limit); level with the target it picks a
    // new way.
    void wander(DizzyImage& image) const {
        Point& at = image.offset;
        if (std::abs(at.x) > max_distance_ || std::abs(at.y) > max_distance_)
            image.direction = {-sign(at.x), -sign(at.y)};
        else if (at.x == 0 || at.y == 0)
            image.direction = kDirections[effect_random(8)];
        at = at + image.direction;
    }

    void follow(const Sprite& sprite) {
        for (DizzyImage& image : images_) {
            Sprite* copy = image.sprite.get();
            if (!copy) continue;
            copy->set_position(sprite.x + image.offset.x, sprite.y + image.offset.y, sprite.depth);
            if (copy->phase != sprite.phase) copy->set_phase(sprite.phase);
        }
    }

    TargetLook target_;
    int32_t max_distance_, speed_;
    int32_t frames_ = 0;
    std::vector<DizzyImage> images_;
};

}  // namespace

std::unique_ptr<EffectObject> make_dizzy_effect(EffectFile& file, EffectTarget& target) {
    return std::make_unique<DizzyEffect>(file, target);
}
