// Drawing one frame: the layers of the current scene redraw their dirty
// rectangles into the display's back buffer, lowest depth first, and the
// changed screen area is presented. The scene shell calls this between its
// pre- and post-render hooks.
#pragma once

#include <cstdint>
#include <span>

#include "engine/graphics/dirty_region.h"
#include "engine/graphics/display.h"
#include "engine/graphics/layer.h"

// Frames rendered since start.
extern uint32_t g_frame_counter;

// Every 200th frame is drawn and presented whole, which repairs any drift
// between the screen and what the drawables believe is on it.
inline constexpr uint32_t kFullRedrawFrames = 200;

// Counts the frame, draws `layers` (lowest depth first) by their dirty regions, presents
// `screen_region` through `display` and leaves every region clear.
void render_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display);

// The two halves of render_layers, apart for the frame benchmarks: counting
// the frame and drawing into the back buffer; then presenting and clearing.
void draw_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display);
void present_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display);
