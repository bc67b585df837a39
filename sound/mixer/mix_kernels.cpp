#include "sound/mixer/mix_kernels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sound/mixer/mix_frames_sse2.h"
#include "sound/mixer/sound_channel.h"
#include "sound/samples/sound_sample.h"

namespace {

constexpr int64_t kOne = int64_t(1) << 32;  // one frame in 32.32 fixed point

bool g_use_vectors = true;

// Where a channel may play in its sample, in 32.32 fixed point. A loop of
// no length, or one that lies outside the sample, plays as no loop.
struct LoopShape {
    enum Kind { NONE, NORMAL, BIDI } kind = NONE;
    int64_t start = 0, end = 0, length = 0;  // loop start, loop end (exclusive), loop length
    int64_t total = 0;                       // sample length
};

LoopShape loop_shape(const SoundSample& s, uint32_t channel_mode) {
    LoopShape shape;
    shape.total = int64_t(s.length) * kOne;
    const int64_t start = std::clamp<int64_t>(s.loop_start, 0, s.length);
    const int64_t end = std::min<int64_t>(start + std::max(s.loop_length, 0), s.length);
    if (end <= start) return shape;
    if (channel_mode & SAMPLE_LOOP_NORMAL) shape.kind = LoopShape::NORMAL;
    else if (channel_mode & SAMPLE_LOOP_BIDI) shape.kind = LoopShape::BIDI;
    shape.start = start * kOne;
    shape.end = end * kOne;
    shape.length = shape.end - shape.start;
    return shape;
}

// A ping-pong loop seen as a circle of twice its length: the first half plays
// forward from the loop start, the second half backward from the loop end.
void bidi_from_circle(const LoopShape& L, int64_t u, int64_t& pos, int& dir) {
    u %= 2 * L.length;
    if (u < L.length) {
        pos = L.start + u;
        dir = PLAY_FORWARD;
    } else {
        pos = L.start + 2 * L.length - 1 - u;
        dir = PLAY_BACKWARD;
    }
}

// Brings a position that ran past a boundary back into the loop. Steps larger
// than the loop wrap (or reflect) as often as they need to. Returns false when
// the sound has ended (no loop).
bool cross_boundary(const LoopShape& L, int64_t& pos, int& dir) {
    if (L.kind == LoopShape::NONE) return false;
    if (dir == PLAY_FORWARD) {
        const int64_t over = pos - L.end;
        if (L.kind == LoopShape::NORMAL) pos = L.start + over % L.length;
        else bidi_from_circle(L, L.length + over, pos, dir);
    } else {
        const int64_t under = L.start - pos;
        if (L.kind == LoopShape::NORMAL) {
            const int64_t r = under % L.length;
            pos = r == 0 ? L.start : L.end - r;
        } else {
            bidi_from_circle(L, 2 * L.length - 1 + under, pos, dir);
        }
    }
    return true;
}

// Walks `frames` output frames from `pos` in segments that end at loop
// boundaries; `play(pos, step, count)` renders one segment and advances pos.
// Returns false when the sound ended (no loop), which skips the rest.
template <class Play>
bool walk(const LoopShape& L, int64_t& pos, int& dir, int64_t step, int frames, Play&& play) {
    const bool looping = L.kind != LoopShape::NONE;
    int left = frames;
    while (left > 0) {
        const bool forward = dir == PLAY_FORWARD;
        // Forward: up to the loop end, or the sample end when already past the
        // loop. Backward: down to the loop start, or 0 when already before it.
        const int64_t boundary = forward ? ((looping && pos < L.end) ? L.end : L.total)
                                         : ((looping && pos >= L.start) ? L.start : 0);
        const int64_t count = forward ? (boundary - pos + step - 1) / step : (pos - boundary) / step + 1;
        const int n = int(std::min<int64_t>(std::max<int64_t>(count, 1), left));
        play(pos, forward ? step : -step, n);
        left -= n;
        const bool outside = forward ? pos >= boundary : pos < boundary;
        if (outside && !cross_boundary(L, pos, dir)) return false;
    }
    return true;
}

template <typename T>
inline int scale(int value, int gain) {
    if constexpr (sizeof(T) == 2) return (value * gain) >> 8;
    else return value * gain;
}

template <typename T, int SrcCh, bool Quality>
inline void read_frame(const T* data, int64_t pos, int& left, int& right) {
    const T* a = data + (pos >> 32) * SrcCh;
    if constexpr (Quality) {
        const int w = int(uint32_t(pos) >> 17);
        left = (a[0] * (32768 - w) + a[SrcCh] * w) >> 15;
        if constexpr (SrcCh == 2) right = (a[1] * (32768 - w) + a[3] * w) >> 15;
        else right = left;
    } else {
        left = a[0];
        right = SrcCh == 2 ? a[1] : left;
    }
}

template <typename T, int SrcCh, bool StereoOut, bool Quality>
void mix_one(SoundChannel& c, const SoundSample& s, int32_t* acc, int frames) {
    const LoopShape L = loop_shape(s, c.mode);
    if (c.position < 0 || c.position >= s.length) c.position = 0, c.fraction = 0;
    int64_t pos = int64_t(c.position) * kOne + c.fraction;
    int dir = c.direction;
    const int64_t step = int64_t(uint64_t(uint32_t(c.step_integer)) << 32 | c.step_fraction);
    if (step <= 0) return;
    const T* data = static_cast<const T*>(c.data);
    const int lg = c.left_gain, rg = c.right_gain, mg = c.mean_gain;
    const bool silent = StereoOut ? (lg == 0 && rg == 0) : mg == 0;
    const bool vectors = g_use_vectors && mix_frames::gains_fit(lg, rg);
    auto play = [&](int64_t& p, int64_t signed_step, int n) {
        if (silent) {
            p += int64_t(n) * signed_step;
            acc += n * (StereoOut ? 2 : 1);
            return;
        }
        int k = 0;
        if constexpr (StereoOut && SrcCh == 1) {
            if (vectors) k = mix_frames::mono_to_stereo<T, Quality>(data, p, signed_step, n, acc, lg, rg);
        }
        for (; k < n; ++k) {
            int l, r;
            read_frame<T, SrcCh, Quality>(data, p, l, r);
            if constexpr (StereoOut) {
                acc[0] += scale<T>(l, lg);
                acc[1] += scale<T>(r, rg);
                acc += 2;
            } else {
                acc[0] += scale<T>(SrcCh == 2 ? (l + r) / 2 : l, mg);
                acc += 1;
            }
            p += signed_step;
        }
    };
    if (!walk(L, pos, dir, step, frames, play)) {
        // A one-shot sound ended: the channel lets go of it, keeping its handle.
        c.sample.store(nullptr, std::memory_order_release);
        c.priority.store(0, std::memory_order_relaxed);
        c.position = 0;
        c.fraction = 0;
        c.direction = PLAY_FORWARD;
        return;
    }
    c.position = int32_t(pos >> 32);
    c.fraction = uint32_t(pos);
    c.direction = dir;
}

template <bool StereoOut, bool Quality>
void mix_channel(SoundChannel& c, int32_t* acc, int frames) {
    SoundSample* s = c.sample.load(std::memory_order_acquire);
    if (!s || !c.data || s->length <= 0 || c.has_flag(CHANNEL_PAUSED)) return;
    const bool stereo_source = (s->mode & SAMPLE_STEREO) != 0;
    if (s->mode & SAMPLE_16BITS) {
        if (stereo_source) mix_one<int16_t, 2, StereoOut, Quality>(c, *s, acc, frames);
        else mix_one<int16_t, 1, StereoOut, Quality>(c, *s, acc, frames);
    } else {
        if (stereo_source) mix_one<int8_t, 2, StereoOut, Quality>(c, *s, acc, frames);
        else mix_one<int8_t, 1, StereoOut, Quality>(c, *s, acc, frames);
    }
}

template <bool StereoOut, bool Quality>
void mix_list(ListNode& channels, int32_t* acc, int frames) {
    for (ListNode* node = channels.next; node != &channels;) {
        ListNode* next = node->next;
        mix_channel<StereoOut, Quality>(*static_cast<SoundChannel*>(node), acc, frames);
        node = next;
    }
}

template <typename T, int SrcCh>
void measure_one(SoundChannel& c, const SoundSample& s, int frames, int* left, int* right) {
    const LoopShape L = loop_shape(s, c.mode);
    int64_t pos = (c.position < 0 || c.position >= s.length) ? 0 : int64_t(c.position) * kOne + c.fraction;
    int dir = c.direction;
    const int64_t step = int64_t(uint64_t(uint32_t(c.step_integer)) << 32 | c.step_fraction);
    if (step <= 0) return;
    const T* data = static_cast<const T*>(c.data);
    int peak_l = 0, peak_r = 0;
    auto peek = [&](int64_t& p, int64_t signed_step, int n) {
        for (int k = 0; k < n; ++k) {
            int l, r;
            read_frame<T, SrcCh, false>(data, p, l, r);
            peak_l = std::max(peak_l, std::abs(scale<T>(l, c.left_gain)));
            peak_r = std::max(peak_r, std::abs(scale<T>(r, c.right_gain)));
            p += signed_step;
        }
    };
    walk(L, pos, dir, step, frames, peek);
    *left = peak_l * 2;
    *right = peak_r * 2;
}

}  // namespace

bool mix_use_vectors(bool on) {
    const bool before = g_use_vectors;
    g_use_vectors = on;
    return before;
}

void mix_clear_mono_block(int32_t* acc, int frames) {
    if (acc && frames > 0) std::memset(acc, 0, size_t(frames) * 4);
}

void mix_clear_stereo(int32_t* acc, int frames) {
    if (acc && frames > 0) std::memset(acc, 0, size_t(frames) * 8);
}

void mix_channel_mono(ListNode& ch, int32_t* acc, int frames) { mix_list<false, false>(ch, acc, frames); }
void mix_channel_mono_quality(ListNode& ch, int32_t* acc, int frames) { mix_list<false, true>(ch, acc, frames); }
void mix_channel_stereo(ListNode& ch, int32_t* acc, int frames) { mix_list<true, false>(ch, acc, frames); }
void mix_channel_stereo_quality(ListNode& ch, int32_t* acc, int frames) { mix_list<true, true>(ch, acc, frames); }

static inline int16_t clip16(int32_t v) { return int16_t(std::clamp<int32_t>(v, -32768, 32767)); }

void mixer_clip_to_16bit_mono(int16_t* dst, const int32_t* src, int frames) {
    for (int i = 0; i < frames; ++i) dst[i] = clip16(src[i]);
}

void mixer_clip_to_16bit_stereo(int16_t* dst, const int32_t* src, int frames) {
    for (int i = 0; i < frames * 2; ++i) dst[i] = clip16(src[i]);
}

void mix_measure_peaks(SoundChannel& c, int frames, int* left, int* right) {
    *left = *right = 0;
    SoundSample* s = c.sample.load(std::memory_order_acquire);
    if (!s || !c.data || s->length <= 0 || c.has_flag(CHANNEL_PAUSED | CHANNEL_MUTED)) return;
    const bool stereo_source = (s->mode & SAMPLE_STEREO) != 0;
    if (s->mode & SAMPLE_16BITS) {
        if (stereo_source) measure_one<int16_t, 2>(c, *s, frames, left, right);
        else measure_one<int16_t, 1>(c, *s, frames, left, right);
    } else {
        if (stereo_source) measure_one<int8_t, 2>(c, *s, frames, left, right);
        else measure_one<int8_t, 1>(c, *s, frames, left, right);
    }
}
