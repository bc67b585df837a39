// The colours the art tools paint a Canvas with: 0xAARRGGBB, the alpha
// opaque unless a picture fades by it (a 24-bit BMP keeps only the RGB),
// magenta as the colour key the game sees through, and a small seeded
// noise so that textures look the same on every build.
#pragma once

#include <algorithm>
#include <cstdint>

inline constexpr uint32_t kKeyColour = 0xFFFF00FF;  // magenta: see-through in the game
inline constexpr uint32_t kClear = 0x00000000;      // transparent in 32-bit pictures

// An opaque colour, each channel clamped to 0..255.
inline uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | uint32_t(std::clamp(r, 0, 255)) << 16 | uint32_t(std::clamp(g, 0, 255)) << 8 |
           uint32_t(std::clamp(b, 0, 255));
}

// Every channel lighter (positive `delta`) or darker by the same amount.
inline uint32_t shade(uint32_t c, int delta) {
    return rgb(int((c >> 16) & 255) + delta, int((c >> 8) & 255) + delta, int(c & 255) + delta);
}

// Every channel at `percent` of its value: darker below 100, lighter above.
inline uint32_t shade_percent(uint32_t c, int percent) {
    const auto ch = [&](int s) { return int(c >> s & 255) * percent / 100; };
    return rgb(ch(16), ch(8), ch(0));
}

// Deterministic noise in 0..255 for a pixel and a seed.
inline int noise(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) & 255);
}
