#include "engine/pictures/bitmap.h"

Bitmap::Bitmap(int32_t w, int32_t h, bool with_alpha)
    : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {
    if (with_alpha) alpha.assign(pixels.size(), 0);
}

std::unique_ptr<Bitmap> Bitmap::clone() const {
    auto copy = std::make_unique<Bitmap>();
    copy->width = width;
    copy->height = height;
    copy->reserved = reserved;
    copy->pixels = pixels;
    copy->alpha = alpha;
    return copy;
}

namespace {

bool touches_picture(const Bitmap& b, int32_t x, int32_t y) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t nx = x + dx;
            const int32_t ny = y + dy;
            if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= b.width || ny >= b.height)
                continue;
            if (b.pixel(nx, ny) != kColorKey) return true;
        }
    }
    return false;
}

}  // namespace

void Bitmap::add_outline(uint16_t color) {
    std::vector<uint16_t> outlined(pixels.size());
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t p = pixel(x, y);
            outlined[index(x, y)] = (p == kColorKey && touches_picture(*this, x, y)) ? color : p;
        }
    }
    pixels = std::move(outlined);
    alpha.clear();
    alpha.shrink_to_fit();
}
