#include "game/map_view/full_screen_picture.h"

#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"

namespace {

constexpr int32_t kWide = 480;
constexpr int32_t kMargin = 80;   // where the picture starts on a 480 display
constexpr int32_t kFarSide = 400;  // where the second cover starts

bool file_exists(std::u16string_view name) {
    FileHandle* handle = g_file_system ? g_file_system->open(name) : nullptr;
    if (!handle) return false;
    g_file_system->close(handle);
    return true;
}

bool names_bitmap(std::u16string_view name) {
    constexpr std::u16string_view kBitmap = u".bmp";
    if (name.size() < kBitmap.size()) return false;
    const std::u16string_view end = name.substr(name.size() - kBitmap.size());
    for (size_t i = 0; i < kBitmap.size(); ++i)
        if (ascii_lower(end[i]) != kBitmap[i]) return false;
    return true;
}

// Optional: a missing picture is skipped rather than ending the program as a
// missing sprite would. A ".bmp" is shown as it stands, anything else names
// a sprite definition.
Sprite* load_optional(SpriteGroup& group, std::u16string_view name, Point at, int32_t depth) {
    if (!file_exists(name)) {
        std::fprintf(stderr, "tarrowind: picture \"%s\" is missing\n", utf16_to_utf8(name).c_str());
        return nullptr;
    }
    if (names_bitmap(name)) return group.create_bitmap_sprite(name, at.x, at.y, depth);
    return group.create_sprite(name, at.x, at.y, depth, 0, 0, 0);
}

}  // namespace

PicturePlacement place_full_screen_picture(PictureRole role, Size display) {
    PicturePlacement p;
    const bool second = role == PictureRole::second_loading;
    if (display.width == kWide) {
        p.picture = {kMargin, 0};
        p.cover_a = second ? u"menus\\main\\loading2_left.spr" : u"menus\\main\\cover_black.spr";
        p.cover_b = second ? u"menus\\main\\loading2_right.spr" : u"menus\\main\\cover_black.spr";
        p.cover_b_at = {kFarSide, 0};
    } else if (display.height == kWide) {
        p.picture = {0, kMargin};
        p.cover_a = second ? u"menus\\main\\loading2_top.spr" : u"menus\\main\\loading2_bottom.spr";
        p.cover_b = u"menus\\main\\loading2_bottom.spr";
        p.cover_b_at = {0, kFarSide};
    }
    return p;
}

FullScreenPicture::FullScreenPicture(SpriteGroup& group, std::u16string_view name, PictureRole role, Size display,
                                     int32_t depth, int32_t cover_depth)
    : group_(group) {
    const PicturePlacement place = place_full_screen_picture(role, display);
    picture_ = load_optional(group, name, place.picture, depth);
    if (place.cover_a.empty()) return;
    cover_a_ = load_optional(group, place.cover_a, place.cover_a_at, cover_depth);
    cover_b_ = load_optional(group, place.cover_b, place.cover_b_at, cover_depth);
    if (has_covers()) return;
    // One cover alone would leave the screen lopsided.
    for (Sprite** cover : {&cover_a_, &cover_b_}) {
        if (*cover) group.remove_sprite(*cover);
        *cover = nullptr;
    }
}

void FullScreenPicture::set_alpha(int32_t alpha) {
    if (picture_) picture_->set_alpha(alpha);
    if (has_covers()) {
        cover_a_->set_alpha(alpha);
        cover_b_->set_alpha(alpha);
    }
}

void FullScreenPicture::remove() {
    for (Sprite** sprite : {&picture_, &cover_a_, &cover_b_}) {
        if (*sprite) group_.remove_sprite(*sprite);
        *sprite = nullptr;
    }
}
