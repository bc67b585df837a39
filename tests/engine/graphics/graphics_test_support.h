// Drawables and a screen for the graphics tests.
#pragma once

#include <vector>

#include "engine/graphics/drawable.h"
#include "engine/platform/front_buffer.h"

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

// The headless back end's screen, remembering what each present asked for.
class MemorySink : public FrontBuffer {
public:
    bool open(int width, int height) override {
        return !fail_open && FrontBuffer::open(width, height);
    }
    void present(const uint16_t* pixels, std::ptrdiff_t pitch, const std::vector<Rect>& rects,
                 bool whole) override {
        calls.push_back({rects, whole});
        FrontBuffer::present(pixels, pitch, rects, whole);
    }
    std::vector<uint16_t> front() const {
        return {pixels(), pixels() + size_t(width()) * size_t(height())};
    }

    struct Call {
        std::vector<Rect> rects;
        bool whole;
    };
    std::vector<Call> calls;
    bool fail_open = false;
};
