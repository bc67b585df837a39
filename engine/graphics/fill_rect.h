// A solid fill of its whole layer (it follows the layer's size and offset),
// in one colour or with a picture laid at the layer's origin. Where the
// picture is smaller than the layer, the rest keeps what lower drawables drew.
#pragma once

#include "engine/graphics/drawable.h"
#include "engine/pictures/bitmap.h"

class FillRect : public Drawable {
public:
    // How the picture is given back when the fill goes; null: not owned.
    using ReleaseBitmap = void (*)(const Bitmap*);

    FillRect();
    ~FillRect() override;

    // Stores the colour; does not report anything, so set it before the fill
    // is added to a layer or invalidate it afterwards.
    void set_color(uint16_t rgb565) { color_ = rgb565; }
    uint16_t color() const { return color_; }

    // Draws `bitmap` instead of the colour; `release` gets it back when the
    // fill is destroyed or given another picture (the bitmap cache passes its
    // release here). Does not report anything, like set_color.
    void set_bitmap(const Bitmap* bitmap, ReleaseBitmap release);
    const Bitmap* bitmap() const { return bitmap_; }

    void draw(const DrawTarget& target) override;

private:
    void release_bitmap();
    void draw_bitmap(const DrawTarget& target) const;
    void draw_color(const DrawTarget& target) const;

    uint16_t color_ = 0;
    const Bitmap* bitmap_ = nullptr;
    ReleaseBitmap release_ = nullptr;
};
