#include "engine/graphics/layer.h"

Layer::Layer() { reset_region(); }

Layer::~Layer() {
    // Clear the back pointers first, so the drawables' destructors do not
    // unlink themselves from the list being emptied.
    for (const auto& entry : drawables_) entry.element->layer_ = nullptr;
    drawables_.delete_all();
}

// Layers keep their region in their own coordinates, so the grid always
// starts at the layer's origin, wherever the layer lies on the screen.
void Layer::reset_region() { region_.init({0, 0, width_, height_}); }

void Layer::set_position(int32_t x, int32_t y) {
    x_ = x;
    y_ = y;
    reset_region();
}

void Layer::set_size(int32_t w, int32_t h) {
    width_ = w;
    height_ = h;
    reset_region();
    for (const auto& entry : drawables_)
        if (entry.element->flags() & Drawable::kFollowLayerSize) entry.element->set_size(w, h);
}

void Layer::set_offset(int32_t dx, int32_t dy) {
    offset_x_ = dx;
    offset_y_ = dy;
    for (const auto& entry : drawables_)
        if (entry.element->flags() & Drawable::kFollowLayerOffset) entry.element->set_offset(dx, dy);
}

void Layer::place(Drawable* d, uint32_t depth, int32_t x, int32_t y, int32_t w, int32_t h) {
    d->layer_ = this;
    drawables_.insert(d, depth);
    d->set_position(x, y);
    if (d->flags() & Drawable::kFollowLayerSize) d->set_size(w, h);
    if (d->flags() & Drawable::kFollowLayerOffset) d->set_offset(offset_x_, offset_y_);
    // A drawable that arrives already placed and sized changed nothing above,
    // yet its pixels are new on the screen.
    d->invalidate();
}

void Layer::add(Drawable* drawable, uint32_t depth) {
    place(drawable, depth, 0, 0, width_, height_);
}

void Layer::add_at(Drawable* drawable, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t depth) {
    place(drawable, depth, x, y, w, h);
}

int Layer::unlink(Drawable* drawable) {
    if (!drawables_.remove(drawable)) return 0;
    drawable->layer_ = nullptr;
    return 1;
}

int Layer::remove(Drawable* drawable) {
    if (!unlink(drawable)) return 0;
    delete drawable;
    invalidate_all();
    return 1;
}

void Layer::invalidate_rect(const Rect& rect) {
    region_.add_rect(rect);
    if (screen_region_) screen_region_->add_rect(rect.offset({x_, y_}));
}

void Layer::invalidate_all() { invalidate_rect({0, 0, width_, height_}); }

void Layer::clear_dirty() { reset_region(); }

void Layer::flush_drawables() {
    for (const auto& entry : drawables_)
        if (entry.element->is_visible()) entry.element->flush_dirty();
}

void Layer::report_region_to(DirtyRegion& screen_region) const {
    RectList rects;
    region_.to_rects({0, 0, width_, height_}, rects);
    for (const Rect& r : rects) screen_region.add_area(r.offset({x_, y_}));
}

void Layer::draw(const DrawTarget& screen) {
    flush_drawables();
    rects_.clear();
    region_.to_rects({0, 0, width_, height_}, rects_);
    for (Rect& r : rects_) r = r.offset({x_, y_});
    draw_rects(screen, rects_);
}

void Layer::draw_rects(const DrawTarget& screen, const RectList& screen_rects) {
    // The layer's own area, cut to the part of the back buffer it covers.
    const Rect visible = Rect{x_, y_, x_ + width_, y_ + height_}.intersect(
        {0, 0, screen.surface.width, screen.surface.height});
    DrawTarget target = screen;
    target.origin = screen.offset_of(x_, y_);
    for (const auto& entry : drawables_) {
        Drawable* d = entry.element;
        if (!d->is_visible()) continue;
        const Rect bounds = d->bounds();
        for (const Rect& rect : screen_rects) {
            target.clip = bounds.intersect(rect.intersect(visible).offset({-x_, -y_}));
            if (!target.clip.empty()) d->draw(target);
        }
    }
}
