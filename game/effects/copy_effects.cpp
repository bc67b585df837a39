#include "game/effects/copy_effects.h"

#include "game/effects/copy_effect_types.h"
#include "game/effects/effect_file.h"

std::unique_ptr<EffectObject> make_copy_effect(int32_t type, EffectFile& file, EffectTarget& target) {
    switch (type) {
        case kEffectPixelWave: return make_pixel_wave_effect(file, target);
        case kEffectPixelAura: return make_pixel_aura_effect(file, target);
        case kEffectAnimTrail: return make_anim_trail_effect(file, target);
        case kEffectColorChanger: return make_color_changer_effect(file, target);
        case kEffectResizeSprite: return make_resize_sprite_effect(file, target);
        case kEffectDizzy: return make_dizzy_effect(file, target);
        case kEffectSnake:
        case kEffectSnakeX: return make_snake_effect(type, file, target);
        case kEffectGhost: return make_ghost_effect(file, target);
        case kEffectSpecialEffect: return make_outline_effect(file, target);
        default: return nullptr;
    }
}
