// The effect types that draw with copies of their target's picture (waves,
// auras, trails, colour changes, resizing, dizzy images, ghosts, outlines)
// or with a ring of sprites around it (the snakes).
#pragma once

#include <cstdint>
#include <memory>

#include "game/effects/effect_object.h"

class EffectFile;

// The object of one of those types, read from `file`; nullptr for any other
// type.
std::unique_ptr<EffectObject> make_copy_effect(int32_t type, EffectFile& file, EffectTarget& target);
