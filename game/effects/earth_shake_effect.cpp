// EARTHSHAKE: every sprite of the action's group (the scene) trembles around
// the place it had when the shake began; once the effect ends the trembling
// dies down over "ShakeSize" frames and every sprite is put back.
//
// The shake moves each sprite by an offset of its own and takes back
// exactly that offset, so it keeps out of the way of anything else that
// moves a sprite meanwhile (a MOVE effect carrying the monster forward ends
// with the monster where it started). Sprites are remembered by pointer, not
// by index: the group may change during the shake (the beaten monster
// leaves it, another picture is added), and only the sprites still in it,
// showing the same definition, are moved or put back; one missing on any
// frame is forgotten for good, so a new sprite that later gets its address
// is left alone.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_types.h"

namespace {

constexpr int32_t kMostShake = 64;  // pixels

struct ShakenSprite {
    Sprite* sprite;
    const SpriteDef* def;
    Point offset{0, 0};  // how far the shake has moved it
};

class EarthShakeEffect : public EffectObject {
public:
    EarthShakeEffect(SpriteGroup* scene, int32_t size) : scene_(scene), size_(size), count_(size) {
        if (!scene_) return;
        for (const auto& entry : scene_->sprites()) shaken_.push_back({entry.element, entry.element->def});
    }
    ~EarthShakeEffect() override { restore(); }

    EffectProgress step(EffectTarget&) override {
        for (ShakenSprite* s : present()) shift(*s, {effect_random_offset(size_), effect_random_offset(size_)});
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        if (--count_ <= 0) {
            restore();
            return EffectProgress::kDone;
        }
        const Point common{effect_random_offset(count_), effect_random_offset(count_)};
        for (ShakenSprite* s : present()) shift(*s, common);
        return EffectProgress::kRunning;
    }

private:
    // The remembered sprites still in the group; the others are forgotten.
    const std::vector<ShakenSprite*>& present() {
        present_.clear();
        if (!scene_) return present_;
        const auto& sprites = scene_->sprites();
        std::erase_if(shaken_, [&](const ShakenSprite& s) {
            const bool in_group =
                std::any_of(sprites.begin(), sprites.end(), [&](const auto& e) { return e.element == s.sprite; });
            return !in_group || s.sprite->def != s.def;
        });
        for (ShakenSprite& s : shaken_) present_.push_back(&s);
        return present_;
    }
    static void shift(ShakenSprite& s, Point offset) {
        s.sprite->move_by(offset.x - s.offset.x, offset.y - s.offset.y);
        s.offset = offset;
    }
    void restore() {
        for (ShakenSprite* s : present()) shift(*s, {0, 0});
        shaken_.clear();
    }

    SpriteGroup* scene_;
    int32_t size_;
    int32_t count_;  // the frames the dying-down shake has left
    std::vector<ShakenSprite> shaken_;
    std::vector<ShakenSprite*> present_;
};

}  // namespace

std::unique_ptr<EffectObject> make_earth_shake_effect(EffectFile& file, EffectTarget& target) {
    // A negative size shakes nothing; past kMostShake the scene would leave
    // the screen, and its dying down (a frame a pixel) would hold the fight.
    return std::make_unique<EarthShakeEffect>(target.scene, std::clamp(file.get("ShakeSize", 3), 0, kMostShake));
}
