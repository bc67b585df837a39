// Where a picture has something to draw when its colour-key pixels are
// skipped: for every row, the spans that hold the row's other pixels, left
// to right. A solid span holds no key pixel at all, so a keyed mode draws it
// as the same mode without the key. Key gaps shorter than kShortestGap are
// kept inside a mixed span (drawn with the key test), because skipping them
// would cost more than testing them; longer gaps are never visited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct KeySpan {
    int32_t start = 0;  // column of the first pixel
    int32_t length = 0;
    bool solid = false;  // true: no key pixel inside
};

class KeySpans {
public:
    static constexpr int32_t kShortestGap = 8;

    // The spans of a picture of width x height pixels, rows from the top
    // without padding. width and height must not be negative.
    static KeySpans of(const uint16_t* pixels, int32_t width, int32_t height);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    const KeySpan* row_begin(int32_t y) const { return spans_.data() + row_first_[size_t(y)]; }
    const KeySpan* row_end(int32_t y) const { return spans_.data() + row_first_[size_t(y) + 1]; }

private:
    int32_t width_ = 0, height_ = 0;
    std::vector<uint32_t> row_first_;  // height + 1 entries into spans_
    std::vector<KeySpan> spans_;
};
