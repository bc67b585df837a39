// The base of everything a Layer holds and draws: sprite groups, text
// effects, the fade layer and solid fills. A drawable owns a rectangle in its
// layer's coordinates, reports changes of that rectangle to the layer's dirty
// region, and draws itself only when the layer asks, once for every dirty
// rectangle that meets it. Setters never draw.
#pragma once

#include <cstdint>

#include "engine/core/geometry.h"
#include "engine/core/memory_pool.h"
#include "engine/graphics/draw_target.h"

class Layer;

class Drawable : public PoolObject {
public:
    // Behaviour bits; subclasses may use the others.
    static constexpr uint32_t kInvalidateOnOffset = 8;  // set_offset reports the area
    static constexpr uint32_t kFollowLayerSize = 32;    // the layer keeps w, h = its size
    static constexpr uint32_t kFollowLayerOffset = 64;  // the layer hands down its offset

    Drawable() = default;
    // Leaves the layer without reporting anything.
    virtual ~Drawable();
    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;

    // A change reports the old rectangle and then the new one; setting the
    // current values does nothing.
    virtual void set_position(int32_t x, int32_t y);
    virtual void set_size(int32_t w, int32_t h);
    // Stores the scroll offset; reports the area only with kInvalidateOnOffset.
    virtual void set_offset(int32_t ox, int32_t oy);
    // Writes the pixels of target.clip (inside bounds()), and no others.
    virtual void draw(const DrawTarget& target) = 0;
    // Called by the layer before it collects its dirty rectangles each frame,
    // so that drawables which gather changes of their parts can report them.
    virtual void flush_dirty() {}
    // Reports the whole rectangle to the layer (nothing without a layer).
    virtual void invalidate();

    uint32_t flags() const { return flags_; }
    void set_flags(uint32_t flags) { flags_ = flags; }
    Layer* layer() const { return layer_; }
    bool is_dirty() const { return dirty_; }
    bool is_visible() const { return visible_; }
    // Showing or hiding reports the rectangle, as any visible change does.
    void set_visible(bool visible);

    Point position() const { return {x_, y_}; }
    Size size() const { return {w_, h_}; }
    Point offset() const { return {offset_x_, offset_y_}; }
    Rect bounds() const { return {x_, y_, x_ + w_, y_ + h_}; }

protected:
    uint32_t flags_ = 0;
    bool dirty_ = true;
    bool visible_ = true;
    int32_t x_ = 0, y_ = 0;
    int32_t w_ = 0, h_ = 0;
    int32_t offset_x_ = 0, offset_y_ = 0;

private:
    friend class Layer;  // sets and clears the layer pointer
    Layer* layer_ = nullptr;
};
