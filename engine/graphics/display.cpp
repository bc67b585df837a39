#include "engine/graphics/display.h"

#include <algorithm>

PresentPlan plan_present(DirtyRegion& region, Size screen, int orientation) {
    const Rect screen_rect{0, 0, screen.width, screen.height};
    const uint64_t screen_area = uint64_t(screen.area());
    // Turned screens are written pixel by pixel, so pieces pay off longer.
    const uint64_t threshold = orientation == 1 ? screen_area / 3 : screen_area * 2 / 3;
    if (region.area() > threshold) region.mark_all();

    PresentPlan plan;
    region.to_rects(screen_rect, plan.rects);
    if (plan.rects.size() > size_t(Display::kMaxRects)) {
        plan.rects.clear();
        region.mark_all();
        region.to_rects(screen_rect, plan.rects);
    }
    region.clear();

    // Runs of cells past the screen's edge come out empty.
    std::erase_if(plan.rects, [](const Rect& r) { return r.empty(); });
    plan.whole = plan.rects.size() == 1 && plan.rects[0] == screen_rect;
    return plan;
}

bool Display::open(DisplaySink* sink, int orientation, int32_t width, int32_t height) {
    sink_ = sink;
    orientation_ = orientation;
    width_ = width;
    height_ = height;
    pixels_.assign(size_t(width) * size_t(height), 0);
    return sink_ && sink_->open(width, height);
}

DrawTarget Display::draw_target() { return whole_surface_target(pixels_.data(), {width_, height_}); }

void Display::present(DirtyRegion& screen_region) {
    const PresentPlan plan = plan_present(screen_region, {width_, height_}, orientation_);
    if (plan.rects.empty() || !sink_) return;
    sink_->present(pixels_.data(), pitch(), plan.rects, plan.whole);
    ++stats_.frames;
    stats_.rects += plan.rects.size();
    for (const Rect& r : plan.rects) stats_.pixels += uint64_t(r.size().area());
    if (plan.whole) ++stats_.whole_frames;
}
