// The blitters applied to a sprite's current frame. The one lasting change a
// blitter makes to the sprite: ALPHA_PIXEL is cleared for good when its
// picture has no alpha plane.
#pragma once

#include "engine/blit/blit_types.h"
#include "engine/graphics/draw_target.h"

class Sprite;

void blit_sprite(const BlitTarget& target, Sprite& sprite, const BlitView& view);
void blit_sprite_zoomed(const BlitTarget& target, Sprite& sprite, const BlitView& view);
void blit_sprite_hq_zoomed(const BlitTarget& target, Sprite& sprite, const BlitView& view);
void blit_sprite_rotozoomed(const BlitTarget& target, Sprite& sprite, const BlitView& view);

// The blit target of a layer's draw target.
inline BlitTarget blit_target_of(const DrawTarget& target) {
    return {target.buffer, target.origin, target.row_pitch};
}
