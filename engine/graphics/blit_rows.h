// One row of source pixels onto one row of target pixels in a drawing mode,
// shared by the blitters whose source row is contiguous (the plain blitter,
// and the zoom blitter at zoom 1.0). The common modes work on eight pixels
// at a time: copy, colour-keyed copy, and layer or pixel alpha with or
// without the key. Lighten and darken go pixel by pixel.
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

}  // namespace blit_rows_detail

// Colour-keyed copy: each lane keeps the target where the source is the key.
inline void copy_row_keyed(uint16_t* d, const uint16_t* s, int32_t n) {
    using namespace blit_rows_detail;
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Pixels8 src = load8(s + i), dst = load8(d + i), keep = key_lanes(src);
        store8(d + i, (dst & keep) | (src & ~keep));
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
        Pixels8 src = load8(s + i), dst = load8(d + i);
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
        Pixels8 src = load8(s + i), dst = load8(d + i);
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

template <uint32_t Mode>
void blit_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha) {
    if constexpr (Mode == 0) {
        std::memcpy(d, s, size_t(n) * 2);
    } else if constexpr (Mode == TRANS_COLOR) {
        copy_row_keyed(d, s, n);
    } else if constexpr (Mode == ALPHA_LAYER || Mode == (ALPHA_LAYER | TRANS_COLOR)) {
        constexpr bool keyed = (Mode & TRANS_COLOR) != 0;
        if (sprite_alpha <= 0) return;
        if (sprite_alpha >= 32) {
            if constexpr (keyed) copy_row_keyed(d, s, n);
            else std::memcpy(d, s, size_t(n) * 2);
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
        for (int32_t i = 0; i < n; ++i) blend_pixel<Mode>(d[i], s[i], (Mode & ALPHA_PIXEL) ? alpha[i] : 0, sprite_alpha);
    }
}
