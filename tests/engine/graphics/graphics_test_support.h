// Drawables and a screen for the graphics tests.
#pragma once

#include <vector>

#include "engine/graphics/drawable.h"
#include "engine/graphics/rect_copy.h"
#include "engine/platform/display_sink.h"

// Paints its clip with a pattern that depends on the pixel, on its colour and
// on its scroll offset, so that a pixel drawn from the wrong place shows.
// Remembers every clip it was asked to draw.
class Box : public Drawable {
public:
    explicit Box(uint16_t color = 0x1234, uint32_t flags = 0) : color_(color) { flags_ = flags; }
    ~Box() override { if (deleted_) *deleted_ = true; }

    void draw(const DrawTarget& t) override {
        clips.push_back(t.clip);
        for (int32_t y = t.clip.top; y < t.clip.bottom; ++y)
            for (int32_t x = t.clip.left; x < t.clip.right; ++x)
                *t.pixel16(x, y) = shade(x, y);
    }
    void flush_dirty() override { ++flushes; }

    uint16_t shade(int32_t x, int32_t y) const {
        return uint16_t(color_ ^ ((x + offset_x_) * 3 + (y + offset_y_) * 7));
    }
    // Changing the colour changes pixels, so it is reported like any change.
    void set_color(uint16_t c) {
        color_ = c;
        invalidate();
    }
    void watch_deletion(bool* flag) { deleted_ = flag; }

    std::vector<Rect> clips;
    int flushes = 0;

private:
    uint16_t color_;
    bool* deleted_ = nullptr;
};

// A screen in memory, filled through copy_rect like a back end's front buffer.
class MemorySink : public DisplaySink {
public:
    bool open(int width, int height) override {
        if (fail_open) return false;
        width_ = width;
        front.assign(size_t(width) * size_t(height), 0xDEAD);
        return true;
    }
    void present(const uint16_t* pixels, std::ptrdiff_t pitch, const std::vector<Rect>& rects,
                 bool whole) override {
        calls.push_back({rects, whole});
        const PixelSource source{reinterpret_cast<const uint8_t*>(pixels), 2, pitch};
        const PixelDest dest{reinterpret_cast<uint8_t*>(front.data()), 2, std::ptrdiff_t(width_) * 2};
        for (const Rect& r : rects) copy_rect(source, dest, r, whole);
    }

    struct Call {
        std::vector<Rect> rects;
        bool whole;
    };
    std::vector<Call> calls;
    std::vector<uint16_t> front;
    bool fail_open = false;

private:
    int width_ = 0;
};
