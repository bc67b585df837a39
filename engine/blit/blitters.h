// The four software blitters that put a sprite's current frame on a 16-bit
// RGB565 surface: plain, nearest-pixel zoom, filtered zoom, and rotation with
// zoom. Each draws only the modes (alpha, colour key, lighten, darken) listed
// in its file and nothing for any other; none writes outside view.clip.
// The source's flags are taken by value: a blitter's flag changes last for one
// call.
#pragma once

#include "engine/blit/blit_types.h"

void blit_plain(const BlitTarget& target, BlitSource source, const BlitView& view);
void blit_zoomed(const BlitTarget& target, BlitSource source, const BlitView& view);
void blit_hq_zoomed(const BlitTarget& target, BlitSource source, const BlitView& view);
void blit_rotozoomed(const BlitTarget& target, BlitSource source, const BlitView& view);

// Half the size of the box around a rotated and zoomed frame, centred on its
// anchor point: every pixel blit_rotozoomed draws lies within x +- width,
// y +- height. Empty when the blitter would draw nothing.
Size rotozoom_half_extent(int32_t frame_width, int32_t frame_height, int32_t zoom, int32_t rotation);
