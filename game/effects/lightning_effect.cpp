// LIGHTNING: two bolt pictures and a flash over the whole effect layer. The
// effect runs through phases of four: dark, a bolt (one of the two, at a
// random offset of up to "MAXDX") with the flash, dark, another bolt; each
// first dark phase uses up one of "repeat" + 1 flashes, and it is done when
// none is left.
#include <algorithm>
#include <memory>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_types.h"

namespace {

constexpr int32_t kFlashDepth = 99;
constexpr int32_t kBoltDepth = 100;
constexpr uint32_t kFlashFlags = ALPHA_LAYER | BLT_LIGHTEN;
constexpr int32_t kFlashAlpha = 20;
constexpr int32_t kBoltAlpha = 32;

struct LightningParams {
    std::string bolt1, bolt2;
    int32_t max_dx = 60;
    Point at{120, 0};
    uint16_t flash_colour = 0;
    int32_t flashes = 3;
    int32_t max_pause = 2;
};

// The bolts stand further right on wider displays.
Point shifted_for_display(Point at, Size display) {
    if (display.width == 480) return {at.x + 120, at.y};
    if (display.width == 320) return {at.x + 40, at.y};
    if (display.height == 480) return {at.x + 40, at.y + 80};
    return at;
}

Sprite* load_into(SpriteGroup* layer, const std::string& name, int32_t depth) {
    if (!layer) return nullptr;
    auto* sprite = new Sprite;
    if (!sprite->load(utf8_to_utf16(name), 0)) {
        delete sprite;
        return nullptr;
    }
    // Shown and hidden by its alpha.
    layer->add_sprite(sprite, 0, 0, depth, 0, ALPHA_LAYER, 0);
    sprite->set_alpha(0);
    return sprite;
}

class LightningEffect : public EffectObject {
public:
    LightningEffect(const LightningParams& params, SpriteGroup* layer, Size layer_size)
        : params_(params), layer_(layer), flashes_left_(params.flashes) {
        bolts_[0] = load_into(layer_, params.bolt1, kBoltDepth);
        bolts_[1] = load_into(layer_, params.bolt2, kBoltDepth);
        if (layer_) {
            flash_ = new Sprite;
            flash_->create_blank(std::max(layer_size.width, 1), std::max(layer_size.height, 1));
            fill(flash_, params.flash_colour);
            flash_->assign_flags(kFlashFlags);
            layer_->add_sprite(flash_, 0, 0, kFlashDepth, 0, 0, 0);
            flash_->set_alpha(0);
        }
    }
    ~LightningEffect() override {
        if (!layer_) return;
        for (Sprite* s : {bolts_[0], bolts_[1], flash_})
            if (s) layer_->remove_sprite(s);
    }

    EffectProgress step(EffectTarget&) override {
        if (flashes_left_ <= 0) return EffectProgress::kDone;
        if (pause_ > 0) {
            --pause_;
            return EffectProgress::kRunning;
        }
        const int32_t phase = phase_;
        phase_ = (phase_ + 1) % 4;
        if (phase % 2 == 1) {
            strike();
            return EffectProgress::kRunning;
        }
        go_dark();
        pause_ = effect_random(params_.max_pause);
        if (phase == 0 && --flashes_left_ <= 0) return EffectProgress::kDone;
        return EffectProgress::kRunning;
    }
    EffectProgress step_ending(EffectTarget& target) override { return step(target); }

private:
    static void fill(Sprite* sprite, uint16_t colour) {
        if (Bitmap* picture = sprite->bitmap()) std::fill(picture->pixels.begin(), picture->pixels.end(), colour);
    }

    void strike() {
        Sprite* bolt = bolts_[effect_random(2)];
        if (bolt) {
            bolt->set_position(params_.at.x + effect_random(params_.max_dx), params_.at.y, Sprite::KEEP);
            bolt->set_alpha(kBoltAlpha);
        }
        if (flash_) flash_->set_alpha(kFlashAlpha);
        pause_ = 1 + effect_random(3);
    }
    void go_dark() {
        for (Sprite* s : {bolts_[0], bolts_[1], flash_})
            if (s) s->set_alpha(0);
    }

    LightningParams params_;
    SpriteGroup* layer_;
    Sprite* bolts_[2] = {nullptr, nullptr};
    Sprite* flash_ = nullptr;
    int32_t flashes_left_;
    int32_t phase_ = 0;
    int32_t pause_ = 0;
};

}  // namespace

std::unique_ptr<EffectObject> make_lightning_effect(EffectFile& file, EffectTarget& target) {
    LightningParams params;
    params.bolt1 = file.text("Sprite1", "gfx/light1.spr");
    params.bolt2 = file.text("Sprite2", "gfx/light2.spr");
    params.max_dx = file.get("MAXDX", params.max_dx);
    params.at = shifted_for_display({file.coordinate("posx", 120), file.coordinate("posy", 0)}, target.layer_size);
    params.flash_colour = file.color("red", "green", "blue", 5, 16, 18);
    // A negative count flashes never.
    params.flashes = std::max(int64_t(file.get("repeat", 2)) + 1, int64_t(0));
    params.max_pause = file.get("maxpause", params.max_pause);
    return std::make_unique<LightningEffect>(params, target.layer, target.layer_size);
}
