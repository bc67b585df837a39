#include "engine/core/fixed_math.h"

#include <algorithm>
#include <climits>

#include "engine/core/fixed_tables.h"

namespace {

int32_t clamp_to_i32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// 256 * sqrt(v) by table, in four ranges of growing step.
int32_t table_sqrt(int64_t v) {
    if (v < 0) return 0;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < 256) return g_square_root_table[v] >> 2;
    if (v < 65536) return g_square_root_table[v >> 4] * 4;
    if (v < (1 << 24)) return g_square_root_table[v >> 12] * 64;
    return g_square_root_table[v >> 20] * 1024;
}

}  // namespace

int32_t fix_sqrt(int32_t v) { return table_sqrt(v); }

int32_t fix_distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int64_t dx = int64_t(x1) - x2;
    int64_t dy = int64_t(y1) - y2;
    int64_t far = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
    // Scale the offsets down so that their squares stay in range, then put
    // the lost scale back on the root.
    int shift;
    int64_t factor;
    if (far <= 120 * int64_t(kFixedOne)) {
        shift = 8;
        factor = 1;
    } else if (far <= 1200 * int64_t(kFixedOne)) {
        shift = 13;
        factor = 32;
    } else {
        shift = 16;
        factor = 256;
    }
    // Division truncates toward zero, as the table ranges were built for.
    int64_t a = dx / (int64_t(1) << shift);
    int64_t b = dy / (int64_t(1) << shift);
    return clamp_to_i32(table_sqrt(a * a + b * b) * factor);
}

int32_t fix_acos(int32_t x) {
    int64_t i = ((int64_t(x) * 500) >> 16) + 500;
    i = std::clamp<int64_t>(i, 0, kArcCosineTableSize - 1);
    return g_arc_cosine_table[i] * kFixedOne;
}

int32_t parse_fixed(const char* text) {
    // Beyond 10^18 further digits are ignored; the result saturates anyway.
    constexpr uint64_t kDigitLimit = 1000000000000000000ull;
    uint64_t n = 0;
    bool negative = false;
    int64_t point = -1;
    int64_t last_digit = -1;
    for (int64_t i = 0; text[i] != '\0'; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            if (n < kDigitLimit) n = n * 10 + uint64_t(c - '0');
            last_digit = i;
        } else if (c == '-') {
            negative = true;
        } else if (c == '.' && point < 0) {
            point = i;
        }
    }
    // Digits after the point: the position of the last digit counts, so
    // "3." has none rather than minus one.
    int64_t k = point < 0 ? 0 : std::clamp<int64_t>(last_digit - point, 0, 18);
    uint64_t power = 1;
    for (int64_t i = 0; i < k; ++i) power *= 10;
    unsigned __int128 magnitude = (unsigned __int128)n * uint64_t(kFixedOne) / power;
    int64_t capped = magnitude > (unsigned __int128)INT64_MAX ? INT64_MAX : int64_t(magnitude);
    return clamp_to_i32(negative ? -capped : capped);
}
