#include "game/screens/zoom_picture.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/fatal_report.h"
#include "engine/pictures/bitmap.h"

namespace {

constexpr int32_t kTile = 32;
constexpr int32_t kBlockPixels = 160;
// Display pixels left over beside and around the picture.
constexpr int32_t kSideMargin = 20, kTopBottomMargin = 50;
constexpr int32_t kBlinkTicks = 121, kBlinkMiddle = 60;
// Speckle thresholds on the weighted channel distance.
constexpr int32_t kStandsOut = 300, kNeighboursAgree = 100;

// Sanitizer builds check every picture write, so that a sample placed
// outside the picture (or wrapped into the next row) is reported at once.
uint16_t& picture_pixel(Bitmap& picture, int32_t x, int32_t y) {
#if defined(__SANITIZE_ADDRESS__)
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
        fatal_assert(__FILE__, __LINE__, "zoom picture written outside its bounds");
#endif
    return picture.pixels[picture.index(x, y)];
}

// 8 x red + 4 x green + 8 x blue of the field differences.
int32_t colour_distance(uint16_t a, uint16_t b) {
    const int32_t red = std::abs(int32_t(a >> 11) - int32_t(b >> 11));
    const int32_t green = std::abs(int32_t((a >> 5) & 0x3F) - int32_t((b >> 5) & 0x3F));
    const int32_t blue = std::abs(int32_t(a & 0x1F) - int32_t(b & 0x1F));
    return 8 * red + 4 * green + 8 * blue;
}

}  // namespace

ZoomLayout zoom_layout(Size level_tiles, Size display) {
    const int32_t w = level_tiles.width * kTile, h = level_tiles.height * kTile;
    const int32_t across = std::max(display.width - kSideMargin, 1);
    const int32_t down = std::max(display.height - kTopBottomMargin, 1);
    const int32_t divisor =
        std::max({(w + display.width - 1) / across, (h + display.height - 1) / down, int32_t(1)});
    return {divisor, {w / divisor, h / divisor}};
}

int32_t zoom_marker_alpha(int32_t counter) {
    const int32_t phase = ((counter % kBlinkTicks) + kBlinkTicks) % kBlinkTicks;
    return std::min(std::abs(kBlinkMiddle - phase), 32);
}

void sample_zoom_block(const Bitmap& scratch, Rect block, int32_t divisor, Bitmap& map) {
    if (divisor < 1) return;
    const Point to{block.left / divisor, block.top / divisor};
    const int32_t span_x = std::min({kBlockPixels, block.width(), scratch.width});
    const int32_t span_y = std::min({kBlockPixels, block.height(), scratch.height});
    const int32_t right_step = divisor / 2;
    for (int32_t row = 0; row * divisor < span_y && to.y + row < map.height; ++row) {
        const int32_t sy = row * divisor;
        for (int32_t column = 0; column * divisor < span_x && to.x + column < map.width; ++column) {
            const int32_t sx = column * divisor;
            const int32_t beside = std::min(sx + right_step, span_x - 1);
            picture_pixel(map, to.x + column, to.y + row) =
                average_rgb565(scratch.pixel(sx, sy), scratch.pixel(beside, sy));
        }
    }
}

void remove_zoom_speckles(Bitmap& map) {
    for (int32_t y = 1; y + 1 < map.height; ++y)
        for (int32_t x = 1; x + 1 < map.width; ++x) {
            const uint16_t here = map.pixel(x, y);
            const uint16_t up = map.pixel(x, y - 1), down = map.pixel(x, y + 1);
            const uint16_t left = map.pixel(x - 1, y), right = map.pixel(x + 1, y);
            const int32_t apart = colour_distance(here, up) + colour_distance(here, down) +
                                  colour_distance(here, left) + colour_distance(here, right);
            const int32_t around = colour_distance(up, down) + colour_distance(left, right) + colour_distance(up, left);
            if (apart > kStandsOut && around < kNeighboursAgree) picture_pixel(map, x, y) = up;
        }
}
