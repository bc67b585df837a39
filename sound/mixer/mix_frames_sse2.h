// A mono sample mixed into the stereo accumulator four frames at a time with
// SSE2, which every x86-64 processor has. It makes the same sums as the
// frame-by-frame loop in mix_kernels.cpp, to the bit:
//   linear:  (a0 x (32768 - w) + a1 x w) >> 15, done as a0 x (32767 - w) +
//            a1 x w + a0 so both weights fit the signed 16-bit multiply;
//   gains:   value x gain, then >> 8 for 16-bit samples; a value and a gain
//            in 16 bits make an exact 32-bit product.
// The sample reads stay per frame (the positions are arbitrary); what goes
// four at a time is the arithmetic and the accumulator's read-modify-write.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mix_frames {

// Gains outside 16 bits would overflow the lanes' multiply: such a channel
// takes the frame-by-frame loop.
inline bool gains_fit(int left_gain, int right_gain) {
    return left_gain >= INT16_MIN && left_gain <= INT16_MAX && right_gain >= INT16_MIN && right_gain <= INT16_MAX;
}

#if defined(__SSE2__)

// The four frames' samples at their positions, one per 32-bit lane.
template <typename T>
inline __m128i nearest_values(const T* data, int64_t pos, int64_t step) {
    const int v0 = data[pos >> 32];
    const int v1 = data[(pos + step) >> 32];
    const int v2 = data[(pos + 2 * step) >> 32];
    const int v3 = data[(pos + 3 * step) >> 32];
    return _mm_setr_epi32(v0, v1, v2, v3);
}

// The four frames' sample pairs (a[i], a[i + 1]) as signed 16-bit halves of
// each 32-bit lane, first sample low.
inline __m128i sample_pairs(const int16_t* data, int64_t pos, int64_t step) {
    uint32_t v[4];
    for (int k = 0; k < 4; ++k, pos += step) std::memcpy(&v[k], data + (pos >> 32), 4);
    return _mm_setr_epi32(int(v[0]), int(v[1]), int(v[2]), int(v[3]));
}

inline __m128i sample_pairs(const int8_t* data, int64_t pos, int64_t step) {
    uint16_t v[4];
    for (int k = 0; k < 4; ++k, pos += step) std::memcpy(&v[k], data + (pos >> 32), 2);
    const __m128i bytes = _mm_setr_epi16(short(v[0]), short(v[1]), short(v[2]), short(v[3]), 0, 0, 0, 0);
    // Each byte to the top of a 16-bit half, then shifted down with its sign.
    return _mm_srai_epi16(_mm_unpacklo_epi8(_mm_setzero_si128(), bytes), 8);
}

// Linear interpolation of four pairs by the top 15 bits of their fractions.
inline __m128i interpolate(__m128i pairs, __m128i fractions) {
    const __m128i w = _mm_srli_epi32(fractions, 17);
    const __m128i weights = _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(32767), w), _mm_slli_epi32(w, 16));
    const __m128i first = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16);
    return _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, weights), first), 15);
}

// Adds four frames' values times (left, right) gains to eight interleaved
// accumulator entries. `gains` holds left, right, left, right in the low
// halves of its lanes, zero above, so the multiply-add is one exact product.
template <typename T>
inline void accumulate(int32_t* acc, __m128i values, __m128i gains) {
    __m128i first = _mm_madd_epi16(_mm_unpacklo_epi32(values, values), gains);
    __m128i second = _mm_madd_epi16(_mm_unpackhi_epi32(values, values), gains);
    if constexpr (sizeof(T) == 2) {
        first = _mm_srai_epi32(first, 8);
        second = _mm_srai_epi32(second, 8);
    }
    auto* out = reinterpret_cast<__m128i*>(acc);
    _mm_storeu_si128(out, _mm_add_epi32(_mm_loadu_si128(out), first));
    _mm_storeu_si128(out + 1, _mm_add_epi32(_mm_loadu_si128(out + 1), second));
}

// Mixes the whole groups of four among `frames` frames from `pos` (32.32
// fixed point, moving by `step`, which may be negative) and returns how many
// it mixed; `pos` and `acc` move past them. The caller does the rest.
template <typename T, bool Interpolate>
int mono_to_stereo(const T* data, int64_t& pos, int64_t step, int frames, int32_t*& acc, int left_gain,
                   int right_gain) {
    const int groups = frames / 4;
    const __m128i gains = _mm_setr_epi32(left_gain & 0xffff, right_gain & 0xffff, left_gain & 0xffff,
                                         right_gain & 0xffff);
    // The fractions are the positions' low 32 bits, which wrap as they add.
    const uint32_t f = uint32_t(pos), s = uint32_t(step);
    __m128i fractions = _mm_setr_epi32(int(f), int(f + s), int(f + 2 * s), int(f + 3 * s));
    const __m128i fraction_advance = _mm_set1_epi32(int(4 * s));
    for (int g = 0; g < groups; ++g) {
        __m128i values;
        if constexpr (Interpolate) values = interpolate(sample_pairs(data, pos, step), fractions);
        else values = nearest_values(data, pos, step);
        accumulate<T>(acc, values, gains);
        acc += 8;
        pos += 4 * step;
        fractions = _mm_add_epi32(fractions, fraction_advance);
    }
    return groups * 4;
}

#else

template <typename T, bool Interpolate>
int mono_to_stereo(const T*, int64_t&, int64_t, int, int32_t*&, int, int) {
    return 0;
}

#endif

}  // namespace mix_frames
