// The makers behind make_copy_effect, one file each: every one reads its
// keys from the effect file (a missing key gives its default; divisors at or
// below 0 count as 1, negative sizes as 0) and returns the type's object.
#pragma once

#include <cstdint>
#include <memory>

#include "game/effects/effect_object.h"

class EffectFile;

std::unique_ptr<EffectObject> make_pixel_wave_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_pixel_aura_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_anim_trail_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_color_changer_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_resize_sprite_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_dizzy_effect(EffectFile& file, EffectTarget& target);
// SNAKE and SNAKEX (which differ only in where an anchored orbit centres).
std::unique_ptr<EffectObject> make_snake_effect(int32_t type, EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_ghost_effect(EffectFile& file, EffectTarget& target);
std::unique_ptr<EffectObject> make_outline_effect(EffectFile& file, EffectTarget& target);
