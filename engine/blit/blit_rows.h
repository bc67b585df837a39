// One row of source pixels onto one row of target pixels in a drawing mode,
// shared by the blitters whose source row is contiguous (the plain blitter,
// and the zoom blitter at zoom 1.0). The common modes work on eight pixels
// at a time: copy, colour-keyed copy, layer or pixel alpha with or without
// the key, and lighten and darken in every one of those. Copies, layer
// alpha and lighten and darken also come in 16 and 32 lanes, for callers
// compiled for AVX2 or AVX-512 (see lane_width.h), the widest with masked
// loads and stores for rows shorter than its blocks; every width gives the
// same pixels.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/blit/blit_modes.h"
#include "engine/blit/lane_width.h"

// Short rows at 32 lanes use masked loads and stores (below). Clang refuses
// a wide vector passed between functions built for different instruction
// sets even where it inlines the call, so there they take narrower blocks.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#include <immintrin.h>
#define BLIT_ROWS_MASKED 1
#endif

namespace blit_rows_detail {

template <int N>
struct LaneWidth {
    typedef uint16_t Pixels __attribute__((vector_size(2 * N)));
    typedef uint8_t Bytes __attribute__((vector_size(N)));
};
// N pixels in 16-bit lanes.
template <int N>
using Lanes = typename LaneWidth<N>::Pixels;
using Pixels8 = Lanes<8>;

// Every helper that takes or returns a vector is always inlined: the wide
// ones are inlined into functions compiled for the wider instructions, and a
// call between code with and without them would pass vectors differently.

template <typename V>
[[gnu::always_inline]] inline V load(const uint16_t* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename V>
[[gnu::always_inline]] inline void store(uint16_t* p, V v) {
    std::memcpy(p, &v, sizeof v);
}
inline Pixels8 load8(const uint16_t* p) { return load<Pixels8>(p); }
inline void store8(uint16_t* p, Pixels8 v) { store(p, v); }

// blend565 lane by lane. Each channel gets its own 16-bit lanes, where
// channel x 32 still fits, so the result equals the spread form's.
template <typename V, typename Opacity>
[[gnu::always_inline]] inline V blend(V s, V d, Opacity sa, Opacity da) {
    V red = ((s >> 11) * sa + (d >> 11) * da) >> 5;
    V green = (((s >> 5) & 0x3F) * sa + ((d >> 5) & 0x3F) * da) >> 5;
    V blue = ((s & 0x1F) * sa + (d & 0x1F) * da) >> 5;
    return (red << 11) | (green << 5) | blue;
}

// The alpha plane's bytes for as many pixels as V has lanes.
template <typename V>
using AlphaBytes = typename LaneWidth<sizeof(V) / 2>::Bytes;
template <typename V>
[[gnu::always_inline]] inline AlphaBytes<V> load_alpha(const uint8_t* p) {
    AlphaBytes<V> bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes;
}

// Opacities from the alpha plane's bytes, times the sprite's alpha when both
// count, limited to 0..32 (32 takes the source, 0 keeps the target).
template <bool WithSpriteAlpha, typename V = Pixels8>
[[gnu::always_inline]] inline V opacity(AlphaBytes<V> bytes, uint16_t sprite_alpha) {
    V o = __builtin_convertvector(bytes, V);
    if constexpr (WithSpriteAlpha) o = (o * sprite_alpha) >> 5;
    return o > 32 ? V{} + 32 : o;
}

// Lanes equal to the key: all ones; others zero.
template <typename V>
[[gnu::always_inline]] inline V key_lanes(V s) {
    return V(s == kColorKey);
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
        Pixels8 o = opacity<with_sprite_alpha>(load_alpha<Pixels8>(alpha + i), uint16_t(a));
        Pixels8 mixed = blend(src, dst, o, full - o);
        if constexpr (keyed) {
            Pixels8 keep = key_lanes(src);
            mixed = (dst & keep) | (mixed & ~keep);
        }
        store8(d + i, mixed);
    }
    for (; i < n; ++i) blend_pixel<Mode>(d[i], s[i], alpha[i], a);
}

namespace blit_rows_detail {

// lighten565 in 16-bit lanes. The carries of green and blue land in the
// cleared bits 11 and 5 as in the one-pixel form; red's leaves the lane,
// which shows as a sum below either part.
template <typename V>
[[gnu::always_inline]] inline V lighten(V d, V s) {
    const V dm = d & 0xF7DE, sm = s & 0xF7DE;
    const V t = dm + sm;
    const V carries = t & 0x0820;
    const V red_over = V(t < dm);
    return ((t | (carries - (carries >> 5))) & 0xF7DE) | (red_over & 0xF000);
}

// darken565 in 16-bit lanes: guard bits 5 and 11 as in the one-pixel form.
// Below red there is always more to take from (the guards) than s holds, so
// the whole subtraction borrows exactly when red would go below zero.
template <typename V>
[[gnu::always_inline]] inline V darken(V d, V s) {
    const V dm = d & 0xF7DE, sm = s & 0xF7DE, guarded = dm | 0x0820;
    const V t = guarded - sm;
    const V borrowed = ~t & 0x0820;
    const V red_under = V(guarded < sm);
    return t & ~(borrowed - (borrowed >> 5)) & ~(red_under & 0xF000) & 0xF7DE;
}

// scale565 in 16-bit lanes; o must lie in 0..32 (32 keeps the pixel).
template <typename V>
[[gnu::always_inline]] inline V scale(V s, V o) {
    return ((((s >> 11) * o) >> 5) << 11) | (((((s >> 5) & 0x3F) * o) >> 5) << 5) | (((s & 0x1F) * o) >> 5);
}

// A row of n pixels, (Count - 1) * N < n <= Count * N, in Count blocks of N
// lanes, the last one at n - N overlapping the one before it. The last block
// is worked out before any other is stored, and the others do not overlap
// each other, so every block reads the target as it was before the row: a
// mode that reads the target comes out as if each pixel were drawn once.
// blocks.at<V>(i) gives the new target pixels i .. i + lanes of V.
template <int N, int Count, typename Blocks>
[[gnu::always_inline]] inline void count_blocks(uint16_t* d, int32_t n, const Blocks& blocks) {
    using V = Lanes<N>;
    const V last = blocks.template at<V>(n - N);
    for (int b = 0; b < Count - 1; ++b) store(d + N * b, blocks.template at<V>(N * b));
    store(d + n - N, last);
}

// A row of n >= N pixels in as many blocks as it needs, in a loop, the
// last one worked out first as above.
template <int N, typename Blocks>
[[gnu::always_inline]] inline void loop_blocks(uint16_t* d, int32_t n, const Blocks& blocks) {
    using V = Lanes<N>;
    const V last = blocks.template at<V>(n - N);
    for (int32_t i = 0; i + N < n; i += N) store(d + i, blocks.template at<V>(i));
    store(d + n - N, last);
}

// A row of n >= 8 pixels in blocks of N lanes (narrower ones when the row
// is shorter). Up to eight blocks the count picks a path of its own, so the
// row's length costs no mispredicted exit from a loop; longer rows loop.
template <int N, typename Blocks>
[[gnu::always_inline]] inline void each_block(uint16_t* d, int32_t n, const Blocks& blocks) {
    if constexpr (N > 8) {
        if (n < N) return each_block<N / 2>(d, n, blocks);
    }
    switch ((n + N - 1) / N) {
        case 1: return count_blocks<N, 1>(d, n, blocks);
        case 2: return count_blocks<N, 2>(d, n, blocks);
        case 3: return count_blocks<N, 3>(d, n, blocks);
        case 4: return count_blocks<N, 4>(d, n, blocks);
        case 5: return count_blocks<N, 5>(d, n, blocks);
        case 6: return count_blocks<N, 6>(d, n, blocks);
        case 7: return count_blocks<N, 7>(d, n, blocks);
        case 8: return count_blocks<N, 8>(d, n, blocks);
    }
    loop_blocks<N>(d, n, blocks);
}

struct CopyBlocks {
    const uint16_t* s;
    template <typename V>
    [[gnu::always_inline]] inline V at(int32_t i) const {
        return load<V>(s + i);
    }
};

// The new target lanes of a mode from source and target lanes and, where
// the mode reads it, the alpha plane's bytes for them (LaneOps below).

// Colour-keyed copy: key lanes keep the target.
struct KeyedCopyLanes {
    static constexpr bool kReadsAlpha = false;
    template <typename V>
    [[gnu::always_inline]] inline V operator()(V src, V dst, AlphaBytes<V>) const {
        const V keep = key_lanes(src);
        return (dst & keep) | (src & ~keep);
    }
};

// s over d at the sprite's opacity (1..31), optionally skipping key lanes.
// Lanes where s equals d come out unchanged, as blend_pixel leaves them.
template <bool Keyed>
struct LayerBlendLanes {
    static constexpr bool kReadsAlpha = false;
    uint16_t source_share, target_share;  // a and 32 - a
    template <typename V>
    [[gnu::always_inline]] inline V operator()(V src, V dst, AlphaBytes<V>) const {
        const V mixed = blend(src, dst, source_share, target_share);
        if constexpr (!Keyed) return mixed;
        const V keep = key_lanes(src);
        return (dst & keep) | (mixed & ~keep);
    }
};

// Lighten or darken with the mode's opacity and colour key; the same
// choices as blend_pixel lane by lane.
template <uint32_t Mode>
struct ShadeLanes {
    static constexpr bool kReadsAlpha = (Mode & ALPHA_PIXEL) != 0;
    uint16_t layer;  // the sprite's alpha, limited to 0..32

    template <typename V>
    [[gnu::always_inline]] inline V operator()(V src, V dst, AlphaBytes<V> alpha_bytes) const {
        constexpr bool keyed = (Mode & TRANS_COLOR) != 0, has_alpha = (Mode & 3) != 0;
        constexpr bool layer_only = (Mode & 3) == ALPHA_LAYER;
        V faded = src;
        V apply = V(src != 0);
        if constexpr (has_alpha) {
            // Opacity 32 draws even a black pixel; a lesser one only what
            // stays non-black once faded.
            V o;
            if constexpr (layer_only) o = V{} + layer;
            else o = opacity<(Mode & ALPHA_LAYER) != 0, V>(alpha_bytes, layer);
            faded = scale(src, o);
            apply = V(o == 32) | V(faded != 0);
        }
        if constexpr (keyed) apply &= ~key_lanes(src);
        const V shaded = (Mode & (BLT_LIGHTEN | BLT_DARKEN)) == BLT_LIGHTEN ? lighten(dst, faded) : darken(dst, faded);
        return (shaded & apply) | (dst & ~apply);
    }
};

// Holds a loaded block in a register. Left to itself the compiler reads the
// block from memory again at each use, as an operand of the instruction
// (it counts such reads as free); where the block spans two cache lines, as
// most do, every read costs two, and at 32 lanes those reads were most of a
// lighten's time. Only in optimised GCC builds: there the wide rows are
// inlined into the functions built for their instructions, which have a
// register for the block; an unoptimised build keeps them apart.
template <typename V>
[[gnu::always_inline]] inline void keep_in_register([[maybe_unused]] V& v) {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__OPTIMIZE__)
    __asm__("" : "+v"(v));
#endif
}

// The blocks of a row whose new pixels LaneOps works out from the source,
// the target and the alpha plane.
template <typename LaneOps>
struct ReadBackBlocks {
    const uint16_t* d;
    const uint16_t* s;
    const uint8_t* alpha;  // read only where LaneOps::kReadsAlpha
    LaneOps ops;

    template <typename V>
    [[gnu::always_inline]] inline V at(int32_t i) const {
        AlphaBytes<V> bytes{};
        if constexpr (LaneOps::kReadsAlpha) bytes = load_alpha<V>(alpha + i);
        V src = load<V>(s + i), dst = load<V>(d + i);
        keep_in_register(src);
        keep_in_register(dst);
        return ops(src, dst, bytes);
    }
};

#if BLIT_ROWS_MASKED
// At 32 lanes a row shorter than a block is done in one block of AVX-512
// masked loads and stores, so short rows take no narrower path and no pixel
// by pixel loop. A masked load reads nothing (and cannot fault) outside its
// lanes, the ones it leaves out come back zero, and the masked store leaves
// the target there as it was. Longer rows end in an overlapping block, as
// at the other widths: where measured, a masked store cost more than that.
using Lanes32 = Lanes<32>;
#define BLIT_ROWS_AVX512 gnu::target(LANE_WIDTH_32_TARGET)

// A mask of the first count lanes, count 1..32.
[[gnu::always_inline]] inline uint32_t first_lanes(int32_t count) { return ~0u >> (32 - count); }

[[gnu::always_inline, BLIT_ROWS_AVX512]] inline Lanes32 load_first(const uint16_t* p, uint32_t lanes) {
    return Lanes32(_mm512_maskz_loadu_epi16(lanes, p));
}
[[gnu::always_inline, BLIT_ROWS_AVX512]] inline void store_first(uint16_t* p, Lanes32 v, uint32_t lanes) {
    _mm512_mask_storeu_epi16(p, lanes, __m512i(v));
}
[[gnu::always_inline, BLIT_ROWS_AVX512]] inline AlphaBytes<Lanes32> load_first_alpha(const uint8_t* p,
                                                                                    uint32_t lanes) {
    return AlphaBytes<Lanes32>(_mm256_maskz_loadu_epi8(lanes, p));
}

// The blocks above, and a block of the row's first lanes only.
struct MaskedCopyBlocks : CopyBlocks {
    [[gnu::always_inline, BLIT_ROWS_AVX512]] inline Lanes32 at_first(uint32_t lanes) const {
        return load_first(s, lanes);
    }
};

template <typename LaneOps>
struct MaskedReadBackBlocks : ReadBackBlocks<LaneOps> {
    [[gnu::always_inline, BLIT_ROWS_AVX512]] inline Lanes32 at_first(uint32_t lanes) const {
        AlphaBytes<Lanes32> bytes{};
        if constexpr (LaneOps::kReadsAlpha) bytes = load_first_alpha(this->alpha, lanes);
        return this->ops(load_first(this->s, lanes), load_first(this->d, lanes), bytes);
    }
};

// A row of n pixels at 32 lanes. Not inlined by force: a build that keeps
// the rows out of line calls it from code without the wide instructions,
// which may not inline it.
template <typename Blocks>
[[BLIT_ROWS_AVX512]] inline void masked_blocks(uint16_t* d, int32_t n, const Blocks& blocks) {
    if (n >= 32) return loop_blocks<32>(d, n, blocks);
    if (n <= 0) return;
    const uint32_t lanes = first_lanes(n);
    store_first(d, blocks.at_first(lanes), lanes);
}
#undef BLIT_ROWS_AVX512
#endif

// Fewer than eight pixels.
inline void copy_short(uint16_t* d, const uint16_t* s, int32_t n) {
    if (n >= 4) {
        uint64_t head, tail;
        std::memcpy(&head, s, 8);
        std::memcpy(&tail, s + n - 4, 8);
        std::memcpy(d, &head, 8);
        std::memcpy(d + n - 4, &tail, 8);
    } else {
        for (int32_t i = 0; i < n; ++i) d[i] = s[i];
    }
}

}  // namespace blit_rows_detail

// A plain copy. Rows (a sprite's spans) are copied in blocks instead of
// through a call; at eight lanes, rows longer than 64 go to memcpy.
template <int N = 8>
inline void copy_row(uint16_t* d, const uint16_t* s, int32_t n) {
    using namespace blit_rows_detail;
#if BLIT_ROWS_MASKED
    if constexpr (N == 32) return masked_blocks(d, n, MaskedCopyBlocks{{s}});
#endif
    if (n < 8) {
        copy_short(d, s, n);
    } else if (N == 8 && n > 64) {
        std::memcpy(d, s, size_t(n) * 2);
    } else {
        each_block<N>(d, n, CopyBlocks{s});
    }
}

// A row in Mode through LaneOps, N pixels at a time; rows shorter than
// eight pixels pixel by pixel below 32 lanes.
template <uint32_t Mode, int N, typename LaneOps>
void read_back_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha,
                   LaneOps ops) {
    using namespace blit_rows_detail;
#if BLIT_ROWS_MASKED
    if constexpr (N == 32) return masked_blocks(d, n, MaskedReadBackBlocks<LaneOps>{{d, s, alpha, ops}});
#endif
    if (n < 8) {
        for (int32_t i = 0; i < n; ++i)
            blend_pixel<Mode>(d[i], s[i], (Mode & ALPHA_PIXEL) ? alpha[i] : 0, sprite_alpha);
        return;
    }
    each_block<N>(d, n, ReadBackBlocks<LaneOps>{d, s, alpha, ops});
}

// Lighten or darken s onto d, N pixels at a time. With ALPHA_PIXEL and
// ALPHA_LAYER together the sprite's alpha must lie in 0..32.
template <uint32_t Mode, int N = 8>
void shade_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha) {
    if ((Mode & 3) == ALPHA_LAYER && sprite_alpha <= 0) return;  // no pixel is drawn
    const uint16_t layer = uint16_t(sprite_alpha > 32 ? 32 : sprite_alpha);
    read_back_row<Mode, N>(d, s, alpha, n, sprite_alpha, blit_rows_detail::ShadeLanes<Mode>{layer});
}

// Colour-keyed copy, N pixels at a time.
template <int N = 8>
void copy_row_keyed(uint16_t* d, const uint16_t* s, int32_t n) {
    read_back_row<TRANS_COLOR, N>(d, s, nullptr, n, 0, blit_rows_detail::KeyedCopyLanes{});
}

// s over d at the sprite's opacity, optionally skipping key pixels, N
// pixels at a time.
template <bool Keyed, int N = 8>
void blend_row_layer(uint16_t* d, const uint16_t* s, int32_t n, int32_t sprite_alpha) {
    if (sprite_alpha <= 0) return;
    if (sprite_alpha >= 32) {
        if constexpr (Keyed) copy_row_keyed<N>(d, s, n);
        else copy_row<N>(d, s, n);
        return;
    }
    const auto share = uint16_t(sprite_alpha);
    constexpr uint32_t mode = Keyed ? (TRANS_COLOR | ALPHA_LAYER) : ALPHA_LAYER;
    read_back_row<mode, N>(d, s, nullptr, n, sprite_alpha,
                           blit_rows_detail::LayerBlendLanes<Keyed>{share, uint16_t(32 - share)});
}

// One row in any mode; copies, layer alpha and lighten and darken at N
// lanes.
template <uint32_t Mode, int N = 8>
void blit_row(uint16_t* d, const uint16_t* s, const uint8_t* alpha, int32_t n, int32_t sprite_alpha) {
    if constexpr (Mode == 0) {
        copy_row<N>(d, s, n);
    } else if constexpr (Mode == TRANS_COLOR) {
        copy_row_keyed<N>(d, s, n);
    } else if constexpr (Mode == ALPHA_LAYER || Mode == (ALPHA_LAYER | TRANS_COLOR)) {
        blend_row_layer<(Mode & TRANS_COLOR) != 0, N>(d, s, n, sprite_alpha);
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
        shade_row<Mode, N>(d, s, alpha, n, sprite_alpha);
    }
}
