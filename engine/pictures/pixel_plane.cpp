#include "engine/pictures/pixel_plane.h"

const KeySpans& PixelPlane::key_spans(int32_t width) const {
    const int32_t height = width > 0 ? int32_t(pixels_.size() / size_t(width)) : 0;
    if (stale_ || !spans_ || spans_->width() != width || spans_->height() != height) {
        if (spans_) *spans_ = KeySpans::of(pixels_.data(), width, height);
        else spans_ = std::make_unique<KeySpans>(KeySpans::of(pixels_.data(), width, height));
        stale_ = false;
    }
    return *spans_;
}
