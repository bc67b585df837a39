// The bits of a sprite's flags word: how it blends, which colour is see-through,
// how it is scaled, where its anchor point lies and whether it is drawn.
// The names are also the symbols that ".spr" files may OR together.
#pragma once

#include <cstdint>

// Opacity.
constexpr uint32_t ALPHA_NONE = 0;
constexpr uint32_t ALPHA_LAYER = 0x1;  // whole sprite at its alpha 0..32
constexpr uint32_t ALPHA_PIXEL = 0x2;  // per-pixel opacity from the alpha plane
constexpr uint32_t ALPHA_SEMI = 0x4;   // half-transparent (no blitter draws it)
constexpr uint32_t ALPHA_AUTO = 0x8;   // follows its group's alpha

// Colour key.
constexpr uint32_t TRANS_NONE = 0;
constexpr uint32_t TRANS_COLOR = 0x10;  // pixels equal to kColorKey are skipped

// Scaling.
constexpr uint32_t RZ_NONE = 0;
constexpr uint32_t RZ_ZOOMED = 0x100;
constexpr uint32_t RZ_ROTOZOOMED = 0x200;
constexpr uint32_t RZ_HQZOOMED = 0x800;
constexpr uint32_t RZ_MASK = 0xF00;

// Blending with the background.
constexpr uint32_t BLT_NORMAL = 0;
constexpr uint32_t BLT_LIGHTEN = 0x1000;
constexpr uint32_t BLT_DARKEN = 0x2000;
constexpr uint32_t BLT_DYNAMIC = 0x4000;  // lighten or darken by the background

// Mirroring and quarter turns (no blitter draws them).
constexpr uint32_t FLIP_NONE = 0;
constexpr uint32_t FLIP_HORIZONTAL = 0x10000;
constexpr uint32_t FLIP_VERTICAL = 0x20000;
constexpr uint32_t FLIP_BOTH = 0x30000;
constexpr uint32_t ROTATE_NONE = 0;
constexpr uint32_t ROTATE_90 = 0x100000;
constexpr uint32_t ROTATE_180 = 0x200000;
constexpr uint32_t ROTATE_270 = 0x300000;

// Anchor: which point of the frame x, y names.
constexpr uint32_t GRAB_TOPLEFT = 0;
constexpr uint32_t GRAB_BOTTOM = 0x1000000;
constexpr uint32_t GRAB_RIGHT = 0x2000000;
constexpr uint32_t GRAB_HCENTER = 0x4000000;
constexpr uint32_t GRAB_VCENTER = 0x8000000;
constexpr uint32_t GRAB_CENTER = 0xC000000;
constexpr uint32_t GRAB_HMASK = 0x6000000;
constexpr uint32_t GRAB_VMASK = 0x9000000;
constexpr uint32_t GRAB_MASK = 0xF000000;

// Hit tests used by the screens.
constexpr uint32_t HIT_DIAMOND = 0x10000000;
constexpr uint32_t HIT_OPAQUE = 0x20000000;  // together with HIT_RECT
constexpr uint32_t HIT_RECT = 0x40000000;

constexpr uint32_t INVISIBLE = 0x80000000;

// The bits that choose a blitter's drawing mode: alpha, colour key, blending,
// flips and quarter turns. Everything else (anchor, scaling, visibility, hit
// tests, ALPHA_AUTO) is left out.
constexpr uint32_t BLIT_MODE_MASK = 0xFFF0F7;
