// LENSFLAIR: a light ("gfx/light.spr") travels the "Place" path (points on
// the layer, not relative to the target) at the target's depth; four flares
// and a rainbow stand on the line from the light through the point 120, 180,
// at fixed fractions of that line on both sides of the point. The rainbow
// shrinks as the light moves away from the point. After the last step
// everything goes and the effect ends; its duration does not cut it short.
#include <algorithm>
#include <array>
#include <memory>

#include "engine/core/fixed_math.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_math.h"
#include "game/effects/effect_types.h"
#include "game/effects/flying_sprite.h"
#include "game/effects/motion_path.h"

namespace {

constexpr Point kFlareCentre{120, 180};
constexpr int32_t kFlareAlpha = 10;
constexpr int32_t kRainbowAlpha = 5;
constexpr int32_t kRainbowDepth = 200;
constexpr int32_t kFlareDepth = 150;
// Where each flare stands, in 256ths of the way from the light to the
// centre point (past 256 the flare is beyond it).
constexpr std::array<int32_t, 4> kFlareFractions = {192, 320, 448, 576};
constexpr std::array<const char*, 4> kFlareFiles = {"gfx/flair2.spr", "gfx/flair3.spr", "gfx/flair2.spr",
                                                    "gfx/flair1.spr"};

// The point `fraction` 256ths of `span` away from `from`.
Point along(Point from, Point span, int32_t fraction) {
    return {trunc32(from.x + int64_t(span.x) * fraction / 256), trunc32(from.y + int64_t(span.y) * fraction / 256)};
}

class LensFlareEffect : public EffectObject {
public:
    LensFlareEffect(EffectTarget& target, PathWalk walk)
        : light_(target.layer, "gfx/light.spr", 0, depth_of(target), 32),
          rainbow_(target.layer, "gfx/rainbow.spr", RZ_ZOOMED, kRainbowDepth, kRainbowAlpha),
          depth_(depth_of(target)),
          walk_(std::move(walk)) {
        for (size_t i = 0; i < flares_.size(); ++i)
            flares_[i] = FlyingSprite(target.layer, kFlareFiles[i], 0, kFlareDepth, kFlareAlpha);
    }

    EffectProgress step(EffectTarget&) override {
        if (walk_.done()) return EffectProgress::kDone;
        Point light;
        if (!walk_.next(light)) return EffectProgress::kRunning;
        light_.move_to(light, depth_);
        const Point span = kFlareCentre - light;
        for (size_t i = 0; i < flares_.size(); ++i) flares_[i].move_to(along(light, span, kFlareFractions[i]), kFlareDepth);
        if (rainbow_) {
            const int32_t distance = to_pixels(fix_distance(to_fixed(light.x), to_fixed(light.y),
                                                            to_fixed(kFlareCentre.x), to_fixed(kFlareCentre.y)));
            rainbow_.move_to(along(light, span, kFlareFractions[0]), kRainbowDepth);
            rainbow_.get()->set_zoom(std::max(3000 - distance / 10, 1));
        }
        return EffectProgress::kRunning;
    }
    EffectProgress step_ending(EffectTarget& target) override { return step(target); }

private:
    static int32_t depth_of(const EffectTarget& target) { return target.sprite ? target.sprite->depth : 0; }

    FlyingSprite light_;
    FlyingSprite rainbow_;
    std::array<FlyingSprite, 4> flares_;
    int32_t depth_;
    PathWalk walk_;
};

}  // namespace

std::unique_ptr<EffectObject> make_lens_flare_effect(EffectFile& file, EffectTarget& target) {
    PathWalk walk(MotionPath(file.places()), file.get("Nsteps", 0), file.get("MoveSpeed", 0));
    return std::make_unique<LensFlareEffect>(target, std::move(walk));
}
