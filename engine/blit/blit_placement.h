// The steps every blitter takes before drawing: checking that there is a
// frame, and (for the zoom blitters) where the zoomed frame lands and which
// part of it the clip lets through.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/blit/blit_modes.h"
#include "engine/blit/blit_types.h"

// Whether src has a frame to draw. A source without an alpha plane loses
// ALPHA_PIXEL, so that no mode reads a plane that is not there.
inline bool prepare_source(BlitSource& src) {
    if (!src.pixels || src.frame_width <= 0 || src.frame_height <= 0) return false;
    if ((src.flags & ALPHA_PIXEL) && !src.alpha) src.flags &= ~ALPHA_PIXEL;
    return true;
}

// A zoomed frame on the target: the whole frame as placed by its anchor
// (source positions are measured from its edges, so that drawing in pieces
// equals drawing whole), the part of it inside the clip, and the source step
// per target pixel in 1/1024 pixels.
struct ZoomPlacement {
    WideRect placed;
    Rect visible;
    int64_t step;
};

// Places src's frame zoomed; nothing when there is nothing to draw (no
// frame, a zoom of 0 or less, or no part inside the clip).
inline std::optional<ZoomPlacement> place_zoomed(BlitSource& src, const BlitView& view) {
    if (!prepare_source(src) || src.zoom <= 0) return std::nullopt;
    const WideRect placed = anchored_rect(int64_t(src.x) - view.shift.x, int64_t(src.y) - view.shift.y,
                                          zoomed_length(src.frame_width, src.zoom),
                                          zoomed_length(src.frame_height, src.zoom), src.flags);
    const Rect visible = clip_wide(placed, view.clip);
    if (visible.empty()) return std::nullopt;
    return ZoomPlacement{placed, visible, 0x100000 / src.zoom};
}
