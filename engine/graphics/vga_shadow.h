// Pixel doubling for a screen twice the back buffer's size in both
// directions (480 x 640 for the 240 x 320 frame): each back-buffer pixel
// becomes a 2 x 2 block, and only pixels that changed since the last
// presented frame are written, judged against a shadow copy of that frame.
// The shadow is spoiled on purpose (0x11 bytes) to force a full rewrite: when
// the screen was disturbed, and every 300th frame to repair any drift.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"

class VgaShadow {
public:
    static constexpr int32_t kWidth = 240;
    static constexpr int32_t kHeight = 320;
    static constexpr int32_t kRefreshFrames = 300;

    VgaShadow();

    // Every pixel differs from the shadow afterwards, unless its value is 0x1111.
    void spoil();
    // Counts a presented frame; true on every 300th, after spoiling the
    // shadow: the caller must then present the whole frame.
    bool next_frame();
    // Writes the pixels of `rect` that differ from the shadow, doubled, into
    // `frame` (480 pixels a row). Returns the number of back-buffer pixels written.
    int32_t present_rect(const uint16_t* back, uint16_t* frame, const Rect& rect) const;
    // Takes the whole back buffer as the last presented frame.
    void commit(const uint16_t* back);

    uint32_t frames() const { return frames_; }

private:
    std::vector<uint16_t> shadow_;
    uint32_t frames_ = 0;
};
