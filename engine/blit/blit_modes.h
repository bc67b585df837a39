// Drawing modes shared by the blitters: the per-pixel operation of each mode
// as a template, so that every mode gets its own inner loop with no test of
// the mode per pixel, and the choice of an instantiation by mode at run time.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "engine/blit/color_math.h"
#include "engine/core/geometry.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"

constexpr uint32_t blit_mode(uint32_t flags) { return flags & BLIT_MODE_MASK; }

// The opacity that a mode applies to one pixel: the sprite's alpha, the
// pixel's, or their product. Only meaningful when the mode has alpha bits.
template <uint32_t Mode>
inline int32_t mode_opacity(uint32_t pixel_alpha, int32_t sprite_alpha) {
    if constexpr ((Mode & 3) == ALPHA_LAYER) {
        return sprite_alpha;
    } else if constexpr ((Mode & 3) == ALPHA_PIXEL) {
        return int32_t(pixel_alpha);
    } else {
        return (int32_t(pixel_alpha) * sprite_alpha) >> 5;
    }
}

// Source pixel s (with its alpha-plane value) onto target pixel d.
template <uint32_t Mode>
inline void blend_pixel(uint16_t& d, uint16_t s, uint32_t pixel_alpha, int32_t sprite_alpha) {
    if constexpr ((Mode & TRANS_COLOR) != 0) {
        if (s == kColorKey) return;
    }
    constexpr bool has_alpha = (Mode & 3) != 0;
    constexpr uint32_t blend = Mode & (BLT_LIGHTEN | BLT_DARKEN);
    if constexpr (blend == 0) {
        if constexpr (!has_alpha) {
            d = s;
        } else {
            int32_t o = mode_opacity<Mode>(pixel_alpha, sprite_alpha);
            if (o >= 32) {
                d = s;
            } else if (o > 0 && s != d) {
                d = blend565(s, d, uint32_t(o));
            }
        }
    } else {
        auto apply = [](uint16_t dst, uint16_t src) {
            return blend == BLT_LIGHTEN ? lighten565(dst, src) : darken565(dst, src);
        };
        if constexpr (!has_alpha) {
            if (s != 0) d = apply(d, s);
        } else {
            int32_t o = mode_opacity<Mode>(pixel_alpha, sprite_alpha);
            if (o >= 32) {
                d = apply(d, s);
            } else if (o > 0 && s != 0) {
                uint16_t faded = scale565(s, uint32_t(o));
                if (faded != 0) d = apply(d, faded);
            }
        }
    }
}

template <uint32_t... Modes>
using ModeList = std::integer_sequence<uint32_t, Modes...>;

// Calls draw(std::integral_constant<uint32_t, M>) for the M of the list that
// equals mode; returns false, having called nothing, when none does.
template <uint32_t... Modes, typename Draw>
bool dispatch_mode(uint32_t mode, ModeList<Modes...>, Draw&& draw) {
    return ((mode == Modes ? (draw(std::integral_constant<uint32_t, Modes>{}), true) : false) || ...);
}

// Target rectangle of a frame of the given size anchored at x, y (already in
// target coordinates) by the anchor bits of flags. 64-bit: zoomed sizes may
// exceed the 32-bit range before clipping.
struct WideRect {
    int64_t left, top, right, bottom;
};

inline WideRect anchored_rect(int64_t x, int64_t y, int64_t w, int64_t h, uint32_t flags) {
    int64_t left = x, top = y;
    switch ((flags >> 25) & 3) {
        case 1: left -= w; break;      // GRAB_RIGHT
        case 2: left -= w / 2; break;  // GRAB_HCENTER
        default: break;                // none, or both (meaningless)
    }
    switch (flags & GRAB_VMASK) {
        case GRAB_BOTTOM: top -= h; break;
        case GRAB_VCENTER: top -= h / 2; break;
        default: break;
    }
    return {left, top, left + w, top + h};
}

// The part of r inside clip; empty (right <= left or bottom <= top) when none.
inline Rect clip_wide(const WideRect& r, const Rect& clip) {
    auto lo = [](int64_t v, int32_t c) { return int32_t(v > c ? v : c); };
    auto hi = [](int64_t v, int32_t c) { return int32_t(v < c ? v : c); };
    return {lo(r.left, clip.left), lo(r.top, clip.top), hi(r.right, clip.right), hi(r.bottom, clip.bottom)};
}

// Zoomed size of a frame side: zoom * side / 1024, rounded.
inline int64_t zoomed_length(int32_t side, int32_t zoom) { return (int64_t(zoom) * side + 512) >> 10; }
