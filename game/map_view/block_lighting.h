// The lighting of ground blocks: slow waves of brightness over the level,
// with a fine random grain. Seeded from the level id and computed from
// absolute pixel positions, so neighbouring blocks continue the same waves
// and a block rendered twice gets the same pixels.
#pragma once

#include <cstdint>

#include "engine/core/geometry.h"

class Bitmap;

// Lighting kinds 0..5 (0-2 add light, 3-5 scale it); others leave the
// picture as it is. `origin` is the block's top-left pixel in the level.
void light_block(Bitmap& picture, uint32_t level_id, uint32_t lighting_kind, Point origin);
