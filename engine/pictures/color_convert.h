// Load flags of a bitmap request and the per-pixel colour conversion that
// applies them while a picture is decoded. The flags are also part of the
// bitmap cache key, so bits that do not touch colours (flips, scaling) pass
// through unchanged.
#pragma once

#include <cstdint>

namespace load_flag {
inline constexpr uint32_t kFlipHorizontal = 0x10;
inline constexpr uint32_t kFlipVertical = 0x20;
inline constexpr uint32_t kScaleBit = 0x100;  // a scaling bit that also counts as a format bit
inline constexpr uint32_t kOutput444 = 0x200;
inline constexpr uint32_t kOutput555 = 0x400;
inline constexpr uint32_t kOutput565 = 0x800;
inline constexpr uint32_t kGrayscale = 0x10000;
inline constexpr uint32_t kInvert = 0x20000;
inline constexpr uint32_t kNoRed = 0x40000;
inline constexpr uint32_t kNoGreen = 0x80000;
inline constexpr uint32_t kNoBlue = 0x100000;
inline constexpr uint32_t kColorCorrect = 0x200000;

inline constexpr uint32_t kFormatBits = kScaleBit | kOutput444 | kOutput555 | kOutput565;
inline constexpr uint32_t kColorSteps = kGrayscale | kInvert | kNoRed | kNoGreen | kNoBlue | kColorCorrect;
}  // namespace load_flag

inline constexpr uint16_t pack_rgb565(int r, int g, int b) {
    return uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

// True when the flags ask for plain RGB565 with no colour step, so that
// pack_rgb565 gives the same result as convert_color.
inline constexpr bool is_plain_rgb565(uint32_t flags) {
    using namespace load_flag;
    return (flags & (kColorSteps | kOutput444 | kOutput555)) == 0 && (flags & kOutput565);
}

// Engine-wide colour correction; 128 is neutral for both.
struct ColorCorrection {
    int contrast = 128;
    int brightness = 128;
};
extern ColorCorrection g_color_correction;

// Adds the default output format (RGB565) when the request names none.
uint32_t with_default_format(uint32_t flags);

// The flags a cached picture is decoded with. A sprite definition's
// "bmpflags" may carry its scaling bits (0x100 .. 0x800): they only tell
// cache entries apart and never change the pixels, so such a picture always
// decodes as RGB565. Only a direct caller of the decoder picks a format.
inline constexpr uint32_t cached_picture_decode_flags(uint32_t flags) { return flags & ~load_flag::kFormatBits; }

// One colour through the load flags, in this order: invert, channel masks,
// grey, colour correction (never for the magenta key and its near
// neighbours), then packing by the first output bit of 444, 555, 565.
// Returns 0 when no output bit is set.
uint16_t convert_color(uint32_t flags, uint8_t r, uint8_t g, uint8_t b);
