// One row of source pixels onto one row of target pixels in a drawing mode,
// shared by the blitters whose source row is contiguous (the plain blitter,
// and the zoom blitter at zoom 1.0). The common modes work on eight pixels
// at a time: copy, colour-keyed copy, layer or pixel alpha with or without
// the key, and lighten and darken in every one of those.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/graphics/blit_modes.h"

namespace blit_rows_detail {

typedef uint16_t Pixels8 __attribute__((vector_size(16)));

inline Pixels8 load8(const uint16_t* p) {
    Pixels8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store8(uint16_t* p, Pixels8 v) { std::memcpy(p, &v, sizeof v); }

// blend565 on eight pixels. Each channel gets its own 16-bit lanes, where
// channel x 32 still fits, so the result equals the spread form's.
template <typename Opacity>
inline Pixels8 blend8(Pixels8 s, Pixels8 d, Opacity sa, Opacity da) {
    Pixels8 red = ((s >> 11) * sa + (d >> 11) * da) >> 5;
    Pixels8 green = (((s >> 5) & 0x3F) * sa + ((d >> 5) & 0x3F) * da) >> 5;
    Pixels8 blue = ((s & 0x1F) * sa + (d & 0x1F) * da) >> 5;
    return (red << 11) | (green << 5) | blue;
}

// Eight opacities from the alpha plane, times the sprite's alpha when both
// count, limited to 0..32 (32 takes the source, 0 keeps the target).
template <bool WithSpriteAlpha>
inline Pixels8 opacity8(const uint8_t* alpha, uint16_t sprite_alpha) {
    Pixels8 o = {alpha[0], alpha[1], alpha[2], alpha[3], alpha[4], alpha[5], alpha[6], alpha[7]};
    if constexpr (WithSpriteAlpha) o = (o * sprite_alpha) >> 5;
    const Pixels8 full = {32, 32, 32, 32, 32, 32, 32, 32};
    return o > full ? full : o;
}

// Lanes equal to the key: all ones; others zero.
inline Pixels8 key_lanes(Pixels8 s) {
    const Pixels8 key = {kColorKey, kColorKey, kColorKey, kColorKey, kColorKey, kColorKey, kColorKey, kColorKey};
    return Pixels8(s == key);
}

typedef uint64_t Halves __attribute__((vector_size(16)));

// Whether every lane of a lane mask is set, or none is.
inline bool all_lanes(Pixels8 mask) {
    const Halves h = Halves(mask);
    return (h[0] & h[1]) == ~uint64_t(0);
}
inline bool no_lanes(Pixels8 mask) {
    const Halves h = Halves(mask);
    return (h[0] | h[1]) == 0;
}

}  // namespace blit_rows_detail

// Colour-keyed copy: each lane keeps the target where the source is the key.
// Runs of eight key pixels leave the target untouched, runs of eight others
// are stored whole; a sprite's clear surround and solid body cost little.
inline void copy_row_keyed(uint16_t* d, const uint16_t* s, int32_t n) {
    using namespace blit_rows_detail;
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const Pixels8 src = load8(s + i), keep = key_lanes(src);
        if (no_lanes(keep)) {
            store8(d + i, src);
        } else if (!all_lanes(keep)) {
            const Pixels8 dst = load8(d + i);
            store8(d + i, (dst & keep) | (src & ~keep));
        }
    }
    for (; i < n; ++i)
        if (s[i] != kColorKey) d[i] = s[i];
}

// s over d at opacity a (1..31), optionally skipping key pixels. Lanes where
// s equals d come out unchanged, as blend_pixel leaves them.
template <bool Keyed>
void blend_row_layer(uint16_t* d, const uint16_t* s, int32_t n, int32_t a) {
    using namespace blit_rows_detail;
    const uint16_t sa = uint16_t(a), da = uint16_t(32 - a);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Pixels8 src = load8(s + i);
        if constexpr (Keyed) {
            if (all_lanes(key_lanes(src))) continue;
        }
        Pixels8 dst = load8(d + i);
        Pixels8 mixed = blend8(src, dst, sa, da);
        if constexpr (Keyed) {
            Pixels8 keep = key_lanes(src);
            mixed = (dst & keep) | (mixed & ~keep);
        }
        store8(d + i, mixed);
    }
    constexpr uint32_t mode = Keyed ? (TRANS_COLOR | ALPHA_LAYER) : ALPHA_LAYER;
    for (; i < n; ++i) blend_pixel<mode>(d[i], s[i], 0, a);
}

// s over d by the opacity of each pixel (ALPHA_PIXEL, and with ALPHA_LAYER
// also the sprite's alpha, which must lie in 0..32 here).
template <uint32_t Mode>
void blend_row_pixel(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t a) {
    using namespace blit_rows_detail;
    constexpr bool keyed = (Mode & TRANS_COLOR) != 0, with_sprite_alpha = (Mode & ALPHA_LAYER) != 0;
    const Pixels8 full = {32, 32, 32, 32, 32, 32, 32, 32};
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Pixels8 src = load8(s + i);
        if constexpr (keyed) {
            if (all_lanes(key_lanes(src))) continue;
        }
        Pixels8 dst = load8(d + i);
        Pixels8 o = opacity8<with_sprite_alpha>(alpha + i, uint16_t(a));
        Pixels8 mixed = blend8(src, dst, o, full - o);
        if constexpr (keyed) {
            Pixels8 keep = key_lanes(src);
            mixed = (dst & keep) | (mixed & ~keep);
        }
        store8(d + i, mixed);
    }
    for (; i < n; ++i) blend_pixel<Mode>(d[i], s[i], alpha[i], a);
}

namespace blit_rows_detail {

// lighten565 on eight pixels in 16-bit lanes. The carries of green and blue
// land in the cleared bits 11 and 5 as in the one-pixel form; red's would
// leave the lane, so red's overflow is found by comparing its sums.
inline Pixels8 lighten8(Pixels8 d, Pixels8 s) {
    const Pixels8 dm = d & 0xF7DE, sm = s & 0xF7DE;
    const Pixels8 t = dm + sm;
    const Pixels8 carries = t & 0x0820;
    const Pixels8 red_over = Pixels8((dm >> 12) + (sm >> 12) > 15);
    return ((t | (carries - (carries >> 5))) & 0xF7DE) | (red_over & 0xF000);
}

// darken565 on eight pixels: guard bits 5 and 11 as in the one-pixel form;
// a red that would go below zero is cleared by comparing the reds.
inline Pixels8 darken8(Pixels8 d, Pixels8 s) {
    const Pixels8 dm = d & 0xF7DE, sm = s & 0xF7DE;
    const Pixels8 t = (dm | 0x0820) - sm;
    const Pixels8 borrowed = ~t & 0x0820;
    const Pixels8 red_under = Pixels8((dm >> 12) < (sm >> 12));
    return t & ~(borrowed - (borrowed >> 5)) & ~(red_under & 0xF000) & 0xF7DE;
}

// scale565 on eight pixels; o must lie in 0..32 (32 keeps the pixel).
inline Pixels8 scale8(Pixels8 s, Pixels8 o) {
    return ((((s >> 11) * o) >> 5) << 11) | (((((s >> 5) & 0x3F) * o) >> 5) << 5) | (((s & 0x1F) * o) >> 5);
}

}  // namespace blit_rows_detail

// Lighten or darken s onto d, with the mode's opacity and colour key, eight
// pixels at a time; the same choices as blend_pixel lane by lane. With
// ALPHA_PIXEL and ALPHA_LAYER together the sprite's alpha must lie in 0..32.
template <uint32_t Mode>
void shade_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha) {
    using namespace blit_rows_detail;
    constexpr uint32_t blend = Mode & (BLT_LIGHTEN | BLT_DARKEN);
    constexpr bool keyed = (Mode & TRANS_COLOR) != 0, has_alpha = (Mode & 3) != 0;
    constexpr bool layer_only = (Mode & 3) == ALPHA_LAYER;
    if (layer_only && sprite_alpha <= 0) return;  // no pixel is drawn
    const uint16_t layer = uint16_t(sprite_alpha > 32 ? 32 : sprite_alpha);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const Pixels8 src = load8(s + i), dst = load8(d + i);
        Pixels8 faded = src;
        Pixels8 apply = Pixels8(src != 0);
        if constexpr (has_alpha) {
            // Opacity 32 draws even a black pixel; a lesser one only what
            // stays non-black once faded.
            const Pixels8 o = layer_only ? Pixels8{} + layer : opacity8<(Mode & ALPHA_LAYER) != 0>(alpha + i, layer);
            faded = scale8(src, o);
            apply = Pixels8(o == 32) | Pixels8(faded != 0);
        }
        if constexpr (keyed) apply &= ~key_lanes(src);
        const Pixels8 shaded = blend == BLT_LIGHTEN ? lighten8(dst, faded) : darken8(dst, faded);
        store8(d + i, (shaded & apply) | (dst & ~apply));
    }
    for (; i < n; ++i) blend_pixel<Mode>(d[i], s[i], (Mode & ALPHA_PIXEL) ? alpha[i] : 0, sprite_alpha);
}

// Copies n pixels, Blocks * 8 <= n <= Blocks * 16, as Blocks blocks of
// eight from each end (they overlap in the middle): every row of a size
// class takes the same path, so the row's length costs no mispredicted exit
// from a loop.
template <int Blocks>
inline void copy_ends(uint16_t* d, const uint16_t* s, int32_t n) {
    using namespace blit_rows_detail;
    Pixels8 head[Blocks], tail[Blocks];
    for (int b = 0; b < Blocks; ++b) {
        head[b] = load8(s + 8 * b);
        tail[b] = load8(s + n - 8 * (b + 1));
    }
    for (int b = 0; b < Blocks; ++b) {
        store8(d + 8 * b, head[b]);
        store8(d + n - 8 * (b + 1), tail[b]);
    }
}

// A plain copy. Short rows (a sprite's spans) are copied in overlapping
// blocks of eight or four pixels instead of through a call.
inline void copy_row(uint16_t* d, const uint16_t* s, int32_t n) {
    using namespace blit_rows_detail;
    if (n > 64) {
        std::memcpy(d, s, size_t(n) * 2);
    } else if (n > 32) {
        copy_ends<4>(d, s, n);
    } else if (n > 16) {
        copy_ends<2>(d, s, n);
    } else if (n >= 8) {
        copy_ends<1>(d, s, n);
    } else if (n >= 4) {
        uint64_t head, tail;
        std::memcpy(&head, s, 8);
        std::memcpy(&tail, s + n - 4, 8);
        std::memcpy(d, &head, 8);
        std::memcpy(d + n - 4, &tail, 8);
    } else {
        for (int32_t i = 0; i < n; ++i) d[i] = s[i];
    }
}

template <uint32_t Mode>
void blit_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha) {
    if constexpr (Mode == 0) {
        copy_row(d, s, n);
    } else if constexpr (Mode == TRANS_COLOR) {
        copy_row_keyed(d, s, n);
    } else if constexpr (Mode == ALPHA_LAYER || Mode == (ALPHA_LAYER | TRANS_COLOR)) {
        constexpr bool keyed = (Mode & TRANS_COLOR) != 0;
        if (sprite_alpha <= 0) return;
        if (sprite_alpha >= 32) {
            if constexpr (keyed) copy_row_keyed(d, s, n);
            else copy_row(d, s, n);
            return;
        }
        blend_row_layer<keyed>(d, s, n, sprite_alpha);
    } else if constexpr ((Mode & ~(TRANS_COLOR | ALPHA_LAYER)) == ALPHA_PIXEL) {
        if ((Mode & ALPHA_LAYER) && (sprite_alpha < 0 || sprite_alpha > 32)) {
            for (int32_t i = 0; i < n; ++i) blend_pixel<Mode>(d[i], s[i], alpha[i], sprite_alpha);
            return;
        }
        blend_row_pixel<Mode>(d, s, alpha, n, sprite_alpha);
    } else {
        if ((Mode & 3) == (ALPHA_PIXEL | ALPHA_LAYER) && (sprite_alpha < 0 || sprite_alpha > 32)) {
            for (int32_t i = 0; i < n; ++i) blend_pixel<Mode>(d[i], s[i], alpha[i], sprite_alpha);
            return;
        }
        shade_row<Mode>(d, s, alpha, n, sprite_alpha);
    }
}
