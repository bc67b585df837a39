#include "engine/graphics/vga_shadow.h"

#include <algorithm>
#include <cstring>

VgaShadow::VgaShadow() : shadow_(size_t(kWidth) * kHeight, 0x0303) {}

void VgaShadow::spoil() { std::fill(shadow_.begin(), shadow_.end(), uint16_t(0x1111)); }

bool VgaShadow::next_frame() {
    if (++frames_ % kRefreshFrames != 0) return false;
    spoil();
    return true;
}

int32_t VgaShadow::present_rect(const uint16_t* back, uint16_t* frame, const Rect& rect) const {
    constexpr int32_t kFrameWidth = 2 * kWidth;
    const Rect r = rect.intersect({0, 0, kWidth, kHeight});
    int32_t written = 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        for (int32_t x = r.left; x < r.right; ++x) {
            const size_t i = size_t(y) * kWidth + size_t(x);
            if (back[i] == shadow_[i]) continue;
            uint16_t* out = frame + size_t(2 * y) * kFrameWidth + size_t(2 * x);
            out[0] = out[1] = back[i];
            out[kFrameWidth] = out[kFrameWidth + 1] = back[i];
            ++written;
        }
    }
    return written;
}

void VgaShadow::commit(const uint16_t* back) {
    std::memcpy(shadow_.data(), back, shadow_.size() * sizeof(uint16_t));
}
