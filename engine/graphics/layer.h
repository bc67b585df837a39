// A depth-sorted list of drawables covering a rectangle of the screen, with
// its own dirty region in layer coordinates. Each frame the layer redraws only
// its dirty rectangles, and each drawable only where it meets one of them.
// A scene owns its layers; a layer owns its drawables.
#pragma once

#include <cstdint>

#include "engine/core/depth_list.h"
#include "engine/core/geometry.h"
#include "engine/core/memory_pool.h"
#include "engine/graphics/dirty_region.h"
#include "engine/graphics/drawable.h"

class Layer : public PoolObject {
public:
    Layer();
    // Deletes every drawable.
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // The screen region of the owning scene, which receives every change
    // moved to screen coordinates; null for a layer without a scene.
    void set_screen_region(DirtyRegion* screen_region) { screen_region_ = screen_region; }

    // Position and size start the dirty region afresh (nothing dirty);
    // drawables that follow the layer's size get the new size.
    void set_position(int32_t x, int32_t y);
    void set_size(int32_t w, int32_t h);
    // Hands the scroll offset to the drawables that follow it.
    void set_offset(int32_t dx, int32_t dy);

    // Takes ownership; places the drawable at (0, 0) after the drawables of
    // lower or equal depth, sizes it to the layer when it follows the layer's
    // size and offset, and reports its rectangle.
    void add(Drawable* drawable, uint32_t depth);
    // As add, but at (x, y) and, when it follows the layer's size, w x h.
    void add_at(Drawable* drawable, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t depth);
    // Takes the drawable out without deleting it or reporting anything.
    // Returns 1 when it was in this layer, else 0.
    int unlink(Drawable* drawable);
    // Takes the drawable out, deletes it and marks the whole layer dirty.
    // Returns 1 when it was in this layer, else 0 (and deletes nothing).
    int remove(Drawable* drawable);

    // Adds a rectangle (layer coordinates) to the layer's region and, moved
    // to the screen, to the owning scene's region.
    void invalidate_rect(const Rect& rect);
    void invalidate_all();
    void clear_dirty();

    // Redraws the dirty rectangles into `screen`, a target whose origin is the
    // back buffer's (0, 0): flush_drawables, then draw_rects with the
    // layer's own dirty rectangles.
    void draw(const DrawTarget& screen);
    // Lets every visible drawable report the changes it gathered.
    void flush_drawables();
    // Adds the layer's dirty cells, moved to the screen, to `screen_region`.
    void report_region_to(DirtyRegion& screen_region) const;
    // Redraws the given rectangles (screen coordinates): each visible drawable
    // where it meets them. Nothing outside the layer or the buffer is written.
    void draw_rects(const DrawTarget& screen, const RectList& screen_rects);

    Point position() const { return {x_, y_}; }
    Size size() const { return {width_, height_}; }
    Point offset() const { return {offset_x_, offset_y_}; }
    const DirtyRegion& region() const { return region_; }
    const DepthList<Drawable>& drawables() const { return drawables_; }

private:
    void reset_region();
    void place(Drawable* drawable, uint32_t depth, int32_t x, int32_t y, int32_t w, int32_t h);

    DepthList<Drawable> drawables_;
    int32_t x_ = 0, y_ = 0;
    int32_t width_ = 0, height_ = 0;
    int32_t offset_x_ = 0, offset_y_ = 0;
    DirtyRegion region_;
    DirtyRegion* screen_region_ = nullptr;
    RectList rects_;  // scratch list of one frame's rectangles
};
