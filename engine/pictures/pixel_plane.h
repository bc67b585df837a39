// The pixels of a bitmap, with the key spans of the picture kept beside
// them. Reading goes through the const members; every way of getting at the
// pixels for writing (a non-const element, pointer or iterator, assigning,
// resizing) marks the spans stale, so a picture changed after it was drawn
// keyed is scanned again on its next keyed draw. Read through a const plane
// where nothing is written: a needless mark costs a rescan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "engine/blit/key_spans.h"

class PixelPlane {
public:
    using value_type = uint16_t;
    using size_type = size_t;
    using iterator = uint16_t*;
    using const_iterator = const uint16_t*;
    using reference = uint16_t&;
    using const_reference = const uint16_t&;

    PixelPlane() = default;
    PixelPlane(size_t count, uint16_t value) : pixels_(count, value) {}
    PixelPlane(std::vector<uint16_t> pixels) : pixels_(std::move(pixels)) {}
    // Copies take the pixels only; their spans are made when first needed.
    PixelPlane(const PixelPlane& other) : pixels_(other.pixels_) {}
    PixelPlane(PixelPlane&& other) noexcept = default;
    PixelPlane& operator=(const PixelPlane& other) { return *this = other.pixels_; }
    PixelPlane& operator=(PixelPlane&& other) noexcept {
        pixels_ = std::move(other.pixels_);
        spans_ = std::move(other.spans_);
        stale_ = other.stale_;
        return *this;
    }
    PixelPlane& operator=(std::vector<uint16_t> pixels) {
        changed();
        pixels_ = std::move(pixels);
        return *this;
    }
    PixelPlane& operator=(std::initializer_list<uint16_t> pixels) { return *this = std::vector<uint16_t>(pixels); }

    size_t size() const { return pixels_.size(); }
    bool empty() const { return pixels_.empty(); }
    const uint16_t* data() const { return pixels_.data(); }
    const uint16_t& operator[](size_t i) const { return pixels_[i]; }
    const uint16_t& back() const { return pixels_.back(); }
    const uint16_t* begin() const { return data(); }
    const uint16_t* end() const { return data() + size(); }
    operator const std::vector<uint16_t>&() const { return pixels_; }

    uint16_t* data() { changed(); return pixels_.data(); }
    uint16_t& operator[](size_t i) { changed(); return pixels_[i]; }
    uint16_t& back() { changed(); return pixels_.back(); }
    uint16_t* begin() { return data(); }
    uint16_t* end() { return data() + size(); }
    void assign(size_t count, uint16_t value) { changed(); pixels_.assign(count, value); }
    void resize(size_t count, uint16_t value = 0) { changed(); pixels_.resize(count, value); }
    void push_back(uint16_t value) { changed(); pixels_.push_back(value); }
    void clear() { changed(); pixels_.clear(); }

    // The key spans of the pixels as a picture of the given width (rows
    // without padding), made now unless the last ones still hold. width must
    // be positive and divide into whole rows.
    const KeySpans& key_spans(int32_t width) const;

    friend bool operator==(const PixelPlane& a, const PixelPlane& b) { return a.pixels_ == b.pixels_; }
    friend bool operator==(const PixelPlane& a, const std::vector<uint16_t>& b) { return a.pixels_ == b; }

private:
    void changed() { stale_ = true; }

    std::vector<uint16_t> pixels_;
    mutable std::unique_ptr<KeySpans> spans_;
    mutable bool stale_ = true;
};
