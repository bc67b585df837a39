// The makers of the effect types built on paths, particles and the scene:
// each reads its keys from the effect file (a missing key gives its default)
// and returns the type's object. make_effect_object picks one by type.
#pragma once

#include <cstdint>
#include <memory>

#include "game/effects/effect_object.h"

class EffectFile;

// PARTICLESYS, PARTICLESYSX and PARTICLESYSX2 (which differ only in where an
// anchored emitter goes).
std::unique_ptr<EffectObject> make_particle_effect(int32_t type, EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_dragonfly_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_circle_path_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_earth_shake_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_move_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_lightning_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_lens_flare_effect(EffectFile& file, EffectTarget& target);

