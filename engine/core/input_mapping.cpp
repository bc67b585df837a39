// Interim key path until the device models and the game-key table are in:
// auto-repeated key-downs are dropped, everything else passes unchanged.
#include "engine/core/input_mapping.h"

#include "engine/platform/messages.h"

uint32_t translate_key(int kind, uint32_t code, uint32_t flags, int) {
    if (kind == 1 && (flags & kKeyRepeatBit)) return 0;
    return code;
}

uint32_t remap_key(uint32_t code) { return code; }

void map_stylus_point(int32_t&, int32_t&, int, int) {}
