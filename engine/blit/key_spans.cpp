#include "engine/blit/key_spans.h"

#include "engine/pictures/bitmap.h"

namespace {

// Appends the spans of one row: runs of non-key pixels, joined into one
// mixed span where the gap between them is short.
void add_row(std::vector<KeySpan>& spans, const uint16_t* row, int32_t width) {
    bool open = false;
    int32_t x = 0;
    while (x < width) {
        while (x < width && row[x] == kColorKey) ++x;
        if (x == width) break;
        const int32_t start = x;
        while (x < width && row[x] != kColorKey) ++x;
        KeySpan* last = open ? &spans.back() : nullptr;
        if (last && start - (last->start + last->length) < KeySpans::kShortestGap) {
            last->length = x - last->start;
            last->solid = false;
        } else {
            spans.push_back({start, x - start, true});
            open = true;
        }
    }
}

}  // namespace

KeySpans KeySpans::of(const uint16_t* pixels, int32_t width, int32_t height) {
    KeySpans table;
    table.width_ = width;
    table.height_ = height;
    table.row_first_.reserve(size_t(height) + 1);
    table.row_first_.push_back(0);
    for (int32_t y = 0; y < height; ++y) {
        add_row(table.spans_, pixels + size_t(y) * size_t(width), width);
        table.row_first_.push_back(uint32_t(table.spans_.size()));
    }
    table.spans_.shrink_to_fit();
    return table;
}
