// Turning the device's raw keys and stylus points into what the game sees.
#pragma once

#include <cstdint>

// The whole key path before the game-key table: device remapping (0 drops
// the key, as for an auto-repeated key-down), then arrow rotation for the
// display orientation. kind 1 = key down, 2 = key up.
uint32_t translate_key(int kind, uint32_t code, uint32_t flags, int orientation);
// The game key of a device key code; unknown codes are their own game key.
uint32_t remap_key(uint32_t code);
// Screen pixels to back-buffer pixels for the display's scale mode and
// orientation.
void map_stylus_point(int32_t& x, int32_t& y, int scale_mode, int orientation);
