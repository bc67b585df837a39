#include "engine/graphics/drawable.h"

#include "engine/graphics/layer.h"

Drawable::~Drawable() {
    if (layer_) layer_->unlink(this);
}

void Drawable::set_position(int32_t x, int32_t y) {
    if (x == x_ && y == y_) return;
    invalidate();
    x_ = x;
    y_ = y;
    invalidate();
}

void Drawable::set_size(int32_t w, int32_t h) {
    if (w == w_ && h == h_) return;
    invalidate();
    w_ = w;
    h_ = h;
    invalidate();
}

void Drawable::set_offset(int32_t ox, int32_t oy) {
    if (ox == offset_x_ && oy == offset_y_) return;
    offset_x_ = ox;
    offset_y_ = oy;
    if (flags_ & kInvalidateOnOffset) invalidate();
}

void Drawable::invalidate() {
    if (!layer_) return;
    layer_->invalidate_rect(bounds());
    dirty_ = true;
}

void Drawable::set_visible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    invalidate();
}
