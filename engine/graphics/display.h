// The one 16-bit RGB565 back buffer every layer draws into, and how its
// changed parts reach the screen. Each frame the scene's screen region is
// turned into rectangles; when many pieces would cost more than one copy
// (over a third of the screen dirty, or more than 30 rectangles) the whole
// frame goes at once. The rectangles go to a DisplaySink, the back end's
// screen.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"
#include "engine/graphics/dirty_region.h"
#include "engine/graphics/draw_target.h"
#include "engine/platform/display_sink.h"

// What one present hands to the screen.
struct PresentPlan {
    RectList rects;      // clipped to the screen, none of them empty
    bool whole = false;  // exactly one rectangle: the whole screen
};

// Decides how the dirty cells of `region` reach a screen of `screen` size in
// the given orientation (1 portrait, 2 or 4 turned), and clears the region.
PresentPlan plan_present(DirtyRegion& region, Size screen, int orientation);

// Counters for benchmarks and tests.
struct PresentStats {
    uint64_t frames = 0;          // presents that reached the sink
    uint64_t rects = 0;
    uint64_t pixels = 0;          // pixels handed to the sink
    uint64_t whole_frames = 0;
};

class Display {
public:
    static constexpr int32_t kMaxRects = 30;

    // Allocates the width x height back buffer (black) and opens the sink.
    // False when the sink cannot show it; the caller ends the program.
    bool open(DisplaySink* sink, int orientation, int32_t width, int32_t height);

    uint16_t* pixels() { return pixels_.data(); }
    const uint16_t* pixels() const { return pixels_.data(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t bits_per_pixel() const { return 16; }
    int32_t pitch() const { return width_ * 2; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    int orientation() const { return orientation_; }

    // A target over the whole back buffer, origin (0, 0), for the layers.
    DrawTarget draw_target();

    // Hands the dirty cells of the scene's screen region to the sink and
    // clears the region. Nothing reaches the sink when nothing is dirty.
    void present(DirtyRegion& screen_region);

    // The screen was disturbed (exposed, or its contents lost): the next
    // present sends everything.
    void invalidate_all(DirtyRegion& screen_region) { screen_region.mark_all(); }

    const PresentStats& stats() const { return stats_; }

private:
    DisplaySink* sink_ = nullptr;
    int orientation_ = 1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint16_t> pixels_;
    PresentStats stats_;
};
