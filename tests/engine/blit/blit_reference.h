// A plain, slow model of the blitters for the tests: it visits every pixel of
// the view, decides from first principles whether and what to draw there, and
// checks the mode at every pixel. The fast blitters must match it exactly.
#pragma once

#include <cstdint>

#include "engine/blit/blit_types.h"

enum class BlitKind { plain, zoomed, hq_zoomed, rotozoomed };

// Whether the blitter draws the mode (flags & 0xFFF0F7) at all.
bool reference_supports(BlitKind kind, uint32_t mode);

void reference_blit(BlitKind kind, const BlitTarget& target, BlitSource source, const BlitView& view);

// Channel-by-channel colour operations (red and blue 5 bits, green 6).
uint16_t reference_blend(uint16_t s, uint16_t d, int32_t a);
uint16_t reference_scale(uint16_t s, int32_t a);
uint16_t reference_lighten(uint16_t d, uint16_t s);
uint16_t reference_darken(uint16_t d, uint16_t s);
