// The full-screen pictures of the loading and exit screens. The back buffer
// is 240x320; a display 480 wide (or high) shows the picture in its middle
// with a cover picture on each side (or above and below).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/geometry.h"

class Sprite;
class SpriteGroup;

enum class PictureRole { first_loading, second_loading, exit };

struct PicturePlacement {
    Point picture;
    // Both empty on a 240x320 display.
    std::u16string cover_a, cover_b;
    Point cover_a_at, cover_b_at;
};

PicturePlacement place_full_screen_picture(PictureRole role, Size display);

// A picture with its covers in a group. Every file is optional: a missing
// picture is skipped, and covers are used only when both load. Names ending
// in ".bmp" are pictures shown as they stand, others sprite definitions.
class FullScreenPicture {
public:
    FullScreenPicture(SpriteGroup& group, std::u16string_view name, PictureRole role, Size display,
                      int32_t depth, int32_t cover_depth);

    // The picture's alpha, and the covers' (0 .. 32).
    void set_alpha(int32_t alpha);
    // Removes (and deletes) the picture and its covers from the group.
    void remove();

    Sprite* picture() const { return picture_; }
    bool has_covers() const { return cover_a_ && cover_b_; }

private:
    SpriteGroup& group_;
    Sprite* picture_ = nullptr;
    Sprite* cover_a_ = nullptr;
    Sprite* cover_b_ = nullptr;
};
