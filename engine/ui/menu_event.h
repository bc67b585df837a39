// Input a screen hands to its menu, and what the menu answers.
#pragma once

#include <cstdint>

#include "engine/ui/game_key.h"

enum MenuEventKind : int32_t {
    kMenuKey = 1,           // param: a GameKey
    kMenuFocusQuery = 2,    // to a control: 4 when it can take the focus
    kMenuFocusLost = 3,     // to a control the focus left
    kMenuTap = 4,           // param: packed point, group coordinates
    kMenuPointerFocus = 5,  // param: packed point; the control under the pen takes the focus
    kMenuClearFocus = 6,
};

enum MenuResult : int32_t {
    kMenuNotHandled = 1,
    kMenuCommand = 3,       // out holds the command text
    kMenuHandled = 4,
    kMenuPassText = 5,      // from a selection: out goes into the next control
    kMenuFocusChanged = 6,
};

// Tap positions travel as x | y << 16 with signed 16-bit halves, so a
// negative x does not spill into y.
inline int32_t pack_point(int32_t x, int32_t y) {
    return int32_t(uint32_t(uint16_t(int16_t(x))) | (uint32_t(uint16_t(int16_t(y))) << 16));
}
inline int32_t point_x(int32_t packed) { return int16_t(uint16_t(uint32_t(packed) & 0xFFFF)); }
inline int32_t point_y(int32_t packed) { return int16_t(uint16_t(uint32_t(packed) >> 16)); }
