#include "engine/blit/lane_width.h"

#include <algorithm>
#include <atomic>

namespace {

std::vector<int32_t> detect_widths() {
    std::vector<int32_t> widths{8};
#if defined(__x86_64__) && defined(__GNUC__)
    // The features of LANE_WIDTH_16_TARGET and LANE_WIDTH_32_TARGET; the
    // checks include whether the system saves the wide registers.
    if (__builtin_cpu_supports("avx2")) widths.push_back(16);
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl"))
        widths.push_back(32);
#endif
    return widths;
}

const std::vector<int32_t>& widths() {
    static const std::vector<int32_t> supported = detect_widths();
    return supported;
}

// Read by every blit, possibly on several threads; changed only by tests
// and benchmarks between blits.
std::atomic<int32_t>& current() {
    static std::atomic<int32_t> width{widths().back()};
    return width;
}

}  // namespace

int32_t lane_width() { return current().load(std::memory_order_relaxed); }

std::vector<int32_t> supported_lane_widths() { return widths(); }

bool use_lane_width(int32_t pixels) {
    if (std::find(widths().begin(), widths().end(), pixels) == widths().end()) return false;
    current().store(pixels, std::memory_order_relaxed);
    return true;
}
