#include "game/effects/copy_effects.h"
#include "game/effects/effect_file.h"
#include "game/effects/effect_object.h"
#include "game/effects/effect_types.h"

std::unique_ptr<EffectObject> make_effect_object(int32_t type, EffectFile& file, EffectTarget& target) {
    switch (type) {
    case kEffectParticleSys:
    case kEffectParticleSysX:
    case kEffectParticleSysX2: return make_particle_effect(type, file, target);
    case kEffectDragonfly: return make_dragonfly_effect(file, target);
    case kEffectCirclePath: return make_circle_path_effect(file, target);
    case kEffectEarthShake: return make_earth_shake_effect(file, target);
    case kEffectMove: return make_move_effect(file, target);
    case kEffectLightning: return make_lightning_effect(file, target);
    case kEffectLensFlair: return make_lens_flare_effect(file, target);
    // The types that draw with copies of the target; nullptr for a type
    // outside the known ones.
    default: return make_copy_effect(type, file, target);
    }
}
