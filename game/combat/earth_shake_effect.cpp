// EARTHSHAKE: every sprite of the action's group (the scene) trembles around
// the place it had when the shake began; once the effect ends the trembling
// dies down over "ShakeSize" frames and every sprite is put back.
//
// Places are saved with their sprite, not by index: the group may change
// during the shake (the beaten monster leaves it, a copy of a sprite is
// added), and only the sprites still in it are moved or restored. A sprite
// counts as still there when it is in the group, shows the same definition
// and stands where the shake last put it: a new sprite that happens to get
// the address of one that left is not taken for it.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/combat/effect_file.h"
#include "game/combat/effect_types.h"

namespace {

struct SavedPlace {
    Sprite* sprite;
    const SpriteDef* def;
    int32_t x, y, depth;
    Point last;  // where the shake last put it
};

class EarthShakeEffect : public EffectObject {
public:
    EarthShakeEffect(SpriteGroup* scene, int32_t size) : scene_(scene), size_(size), count_(size) {
        if (!scene_) return;
        for (const auto& entry : scene_->sprites()) {
            const Sprite* s = entry.element;
            saved_.push_back({entry.element, s->def, s->x, s->y, s->depth, {s->x, s->y}});
        }
    }
    ~EarthShakeEffect() override { restore(); }

    EffectProgress step(EffectTarget&) override {
        for (SavedPlace* place : present()) {
            const int32_t dx = effect_random_offset(size_), dy = effect_random_offset(size_);
            put(*place, place->x + dx, place->y + dy);
        }
        return EffectProgress::kRunning;
    }

    EffectProgress step_ending(EffectTarget&) override {
        if (--count_ <= 0) {
            restore();
            return EffectProgress::kDone;
        }
        const int32_t dx = effect_random_offset(count_), dy = effect_random_offset(count_);
        for (SavedPlace* place : present()) put(*place, place->x + dx, place->y + dy);
        return EffectProgress::kRunning;
    }

private:
    // The saved places whose sprites are still in the group.
    const std::vector<SavedPlace*>& present() {
        present_.clear();
        if (!scene_) return present_;
        for (SavedPlace& place : saved_)
            if (still_there(place)) present_.push_back(&place);
        return present_;
    }
    bool still_there(const SavedPlace& place) const {
        const auto& sprites = scene_->sprites();
        const bool in_group =
            std::any_of(sprites.begin(), sprites.end(), [&](const auto& e) { return e.element == place.sprite; });
        return in_group && place.sprite->def == place.def && place.sprite->x == place.last.x &&
               place.sprite->y == place.last.y;
    }
    static void put(SavedPlace& place, int32_t x, int32_t y) {
        place.sprite->set_position(x, y, Sprite::KEEP);
        place.last = {x, y};
    }
    void restore() {
        for (SavedPlace* place : present()) place->sprite->set_position(place->x, place->y, place->depth);
        saved_.clear();
    }

    SpriteGroup* scene_;
    int32_t size_;
    int32_t count_;  // the frames the dying-down shake has left
    std::vector<SavedPlace> saved_;
    std::vector<SavedPlace*> present_;
};

}  // namespace

std::unique_ptr<EffectObject> make_earth_shake_effect(EffectFile& file, EffectTarget& target) {
    // A negative size shakes nothing.
    return std::make_unique<EarthShakeEffect>(target.scene, std::max(file.get("ShakeSize", 3), 0));
}
