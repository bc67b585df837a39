// The screen as last presented, kept in memory by every back end: the
// headless back end has no other screen, the SDL back end uploads from it.
// It also answers what tests and screenshots need to know about the screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/display_sink.h"

class FrontBuffer : public DisplaySink {
public:
    bool open(int width, int height) override;
    void present(const uint16_t* pixels, std::ptrdiff_t pitch_bytes,
                 const std::vector<Rect>& rects, bool whole) override;

    bool is_open() const { return width_ > 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    const uint16_t* pixels() const { return pixels_.data(); }
    uint16_t pixel(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

    // Presents so far, rectangles copied and pixels copied.
    uint64_t present_count() const { return presents_; }
    uint64_t rect_count() const { return rects_; }
    uint64_t pixel_count() const { return pixels_copied_; }
    // CRC-32 of the pixels (little-endian RGB565), to compare screens in tests.
    uint32_t crc() const;

    // Writes the screen as an 8-bit RGB PNG; false (with a reason in `error`)
    // when it cannot. A screen never opened is written as 240x320 black.
    bool save_png(const std::string& path, std::string& error) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint16_t> pixels_;
    uint64_t presents_ = 0;
    uint64_t rects_ = 0;
    uint64_t pixels_copied_ = 0;
};
