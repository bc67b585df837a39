// Integer colour arithmetic on RGB565 pixels (red 5 bits at 11, green 6 at 5,
// blue 5 at 0). Opacities run 0..32 with 32 opaque.
#pragma once

#include <cstdint>

// Spreads the channels apart (blue at 0, green at 10, red at 21) so that all
// three can be multiplied by one factor up to 32 at once without carrying
// into each other.
constexpr uint32_t spread565(uint16_t p) {
    return (p & 0x1Fu) | ((uint32_t(p >> 5) & 0x3Fu) << 10) | (uint32_t(p >> 11) << 21);
}

// Inverse of spread565 (fraction bits between the fields are dropped).
constexpr uint16_t pack565(uint32_t w) {
    return uint16_t((w & 0x1F) | (((w >> 10) & 0x3F) << 5) | (((w >> 21) & 0x1F) << 11));
}

// Every channel times a / 32, truncated. a must lie in 0..32.
constexpr uint16_t scale565(uint16_t p, uint32_t a) { return pack565((spread565(p) * a) >> 5); }

// s over d with opacity a (0..32).
constexpr uint16_t blend565(uint16_t s, uint16_t d, uint32_t a) {
    return pack565((spread565(s) * a + spread565(d) * (32 - a)) >> 5);
}

// Channel-wise saturating add at 4/5/4 bits. The lowest bit of every channel
// is dropped first so that a channel's carry lands in the free bit above it
// (5, 11, 16); a carried channel is filled with ones.
constexpr uint16_t lighten565(uint16_t d, uint16_t s) {
    uint32_t t = uint32_t(d & 0xF7DE) + uint32_t(s & 0xF7DE);
    uint32_t carries = t & 0x10820;
    // Each carry bit c turns into the channel below it: c - c/32 covers it.
    return uint16_t((t | (carries - (carries >> 5))) & 0xF7DE);
}

// Channel-wise flooring subtract at 4/5/4 bits. Guard bits 5, 11 and 16 are
// set in d; a channel that borrowed consumed its guard and is cleared.
constexpr uint16_t darken565(uint16_t d, uint16_t s) {
    uint32_t t = (uint32_t(d) | 0x10820) - uint32_t(s & 0xF7DE);
    uint32_t borrowed = ~t & 0x10820;
    return uint16_t(t & ~(borrowed - (borrowed >> 5)) & 0xF7DE);
}
