#include "engine/graphics/sprite.h"

#include <algorithm>
#include <cstdio>

#include "engine/blit/blit_modes.h"
#include "engine/blit/blitters.h"
#include "engine/core/crt_random.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/pictures/sprite_flags.h"

namespace {

int32_t clamp_to_i32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

Sprite::Sprite() { reset(); }

Sprite::Sprite(const Sprite& other) : PoolObject(), def(other.def) {
    if (def && g_sprite_def_cache) g_sprite_def_cache->add_ref(def);
    reset();
}

Sprite::~Sprite() { release_def(); }

void Sprite::release_def() {
    if (def && g_sprite_def_cache) g_sprite_def_cache->release(def);
    def = nullptr;
}

Bitmap* Sprite::bitmap() const { return def ? def->bitmap : nullptr; }

void Sprite::take_defaults() {
    frame_offset = 0;
    if (!def || !def->bitmap) {
        take_plain_look();
        return;
    }
    alpha = def->default_alpha;
    rotation = def->default_rotation;
    flags = def->default_flags;
    zoom = def->default_zoom;
    frame_width = def->bitmap->width;
    if (def->frame_height > 0) {
        frame_height = def->frame_height;
        phase = -1;
        set_phase(def->default_phase);
    } else {
        frame_height = def->bitmap->height;
        phase = 0;
    }
}

void Sprite::take_plain_look() {
    flags = 0;
    alpha = 32;
    rotation = 0;
    zoom = 1024;
    phase = 0;
    frame_offset = 0;
}

void Sprite::reset() {
    take_defaults();
    x = y = depth = 0;
    current_animation = next_animation = -1;
    wait = 0;
}

int32_t Sprite::load(std::u16string_view name, int must_exist) {
    release_def();
    def = g_sprite_def_cache ? g_sprite_def_cache->get(name, 0, must_exist) : nullptr;
    if (!def) return 0;
    take_defaults();
    return 1;
}

int32_t Sprite::load_bitmap(std::u16string_view name, int must_exist) {
    release_def();
    Bitmap* picture = g_bitmap_cache ? g_bitmap_cache->get(name, 0, must_exist) : nullptr;
    if (!picture) return 0;
    def = new SpriteDef;
    def->bitmap = picture;
    g_sprite_def_cache->add_unnamed(def);
    take_plain_look();
    frame_width = picture->width;
    frame_height = picture->height;
    return 1;
}

void Sprite::init_from_bitmap(std::u16string_view name, int32_t nx, int32_t ny, int32_t ndepth, uint32_t nflags) {
    load_bitmap(name, 1);
    if (nflags != 0) {
        flags = nflags;
        if (def) def->default_flags = nflags;
    }
    x = nx;
    y = ny;
    depth = ndepth;
}

void Sprite::set_bitmap(Bitmap* picture) {
    release_def();
    def = new SpriteDef;
    def->bitmap = picture;
    def->frame_height = picture->height;
    g_bitmap_cache->add_ref(picture);
    g_sprite_def_cache->add_unnamed(def);
    take_plain_look();
    x = y = depth = 0;
    frame_width = picture->width;
    frame_height = picture->height;
}

void Sprite::create_blank(int32_t w, int32_t h) {
    auto* picture = new Bitmap(std::max(w, 1), std::max(h, 1), false);
    g_bitmap_cache->add_unnamed(picture);
    set_bitmap(picture);
    g_bitmap_cache->release(picture);  // the definition holds the only use
}

Sprite* Sprite::create_from_bitmap(std::u16string_view name, uint32_t nflags, int32_t nframe_height) {
    auto* sprite = new Sprite;
    if (!sprite->load_bitmap(name, 1)) return sprite;
    sprite->def->default_flags = nflags;
    sprite->def->frame_height = std::clamp(nframe_height, 0, sprite->def->bitmap->height);
    if (sprite->def->frame_height > 0) sprite->frame_height = sprite->def->frame_height;
    sprite->flags = nflags;
    return sprite;
}

void Sprite::make_private() {
    if (!def) return;
    def = g_sprite_def_cache->make_private(def);
    def->bitmap = g_bitmap_cache->make_private(def->bitmap);
}

void Sprite::invalidate() {
    if (!group) {
        changed = 1;
        return;
    }
    if (changed) return;
    group->invalidate_sprite(this);
    changed = 1;
}

void Sprite::set_position(int32_t nx, int32_t ny, int32_t ndepth) {
    if (nx == KEEP) nx = x;
    if (ny == KEEP) ny = y;
    if (ndepth == KEEP) ndepth = depth;
    if (nx == x && ny == y && ndepth == depth) return;
    invalidate();
    x = nx;
    y = ny;
    if (ndepth != depth) {
        depth = ndepth;
        if (group) group->move_to_depth(this);
    }
}

void Sprite::set_aligned_position(int32_t align, int32_t nx, int32_t ny) {
    invalidate();
    Size area = group ? group->size() : Size{};
    if (nx != KEEP) {
        switch (align & 0x0F) {
            case 2: nx = (area.width - frame_width) / 2 + nx; break;
            case 3: nx = area.width - frame_width + nx; break;
            default: break;
        }
    }
    if (ny != KEEP) {
        switch (align & 0xF0) {
            case 0x20: ny = (area.height - frame_height) / 2 + ny; break;
            case 0x40: ny = area.height - frame_height + ny; break;
            default: break;
        }
    }
    set_position(nx, ny, KEEP);
}

void Sprite::move_by(int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) return;
    invalidate();
    x += dx;
    y += dy;
}

void Sprite::set_rotation(int32_t angle) {
    if (angle == rotation) return;
    invalidate();
    rotation = angle;
}

void Sprite::set_alpha(int32_t a) {
    a = std::clamp(a, 0, 32);
    if (a == alpha) return;
    invalidate();
    alpha = a;
}

void Sprite::set_zoom(int32_t z) {
    if (z == zoom) return;
    changed = 0;  // report the rectangle at the old zoom even if one was reported
    invalidate();
    zoom = z;
}

void Sprite::set_visible(int32_t visible) {
    if (visible == 0) {
        set_flags(INVISIBLE);
    } else {
        clear_flags(INVISIBLE);
    }
}

void Sprite::set_flags(uint32_t mask) {
    if ((flags & mask) == mask) return;
    invalidate();
    flags |= mask;
}

void Sprite::clear_flags(uint32_t mask) {
    if ((flags & mask) == 0) return;
    invalidate();
    flags &= ~mask;
}

int32_t Sprite::add_alpha(int32_t d) {
    int32_t a = std::clamp(alpha + d, 0, 32);
    if (a == alpha) return 0;
    invalidate();
    alpha = a;
    return 1;
}

void Sprite::set_phase(int32_t p) {
    if (!def || !def->bitmap || def->frame_height <= 0) return;
    int32_t frames = def->frame_count();
    if (p == -1) p = crt_rand() % frames;
    if (p == phase || p < 0 || p >= frames) return;
    invalidate();
    phase = p;
    frame_offset = def->bitmap->width * def->frame_height * p;
}

int32_t Sprite::set_animation(std::string_view name) {
    int32_t found = def ? def->find_animation(name) : -1;
    if (found < 0) {
        next_animation = -1;
        return -1;
    }
    const AnimationRecord& a = def->animations[size_t(found)];
    if (current_animation >= 0) {
        next_animation = int16_t(found);
        next_wait = uint16_t(std::clamp(a.delay, 0, 0xFFFF));
        return a.delay;
    }
    current_animation = int16_t(found);
    letter = 0;
    wait = 0;
    animation_part = !a.start.empty() ? 0 : !a.loop.empty() ? 1 : 2;
    next_animation = -1;
    return -1;
}

void Sprite::switch_to_next_animation() {
    current_animation = next_animation;
    wait = next_wait;
    letter = 0;
    animation_part = 0;
    next_animation = -1;
}

void Sprite::animate() {
    if (current_animation < 0 || !def || size_t(current_animation) >= def->animations.size()) return;
    if (wait > 0) {
        --wait;
        return;
    }
    const AnimationRecord& a = def->animations[size_t(current_animation)];
    if (animation_part == 0 && a.start.empty()) animation_part = 1;
    if (animation_part == 1 && a.loop.empty()) animation_part = 2;
    if (animation_part == 2 && a.end.empty()) animation_part = 3;
    if (animation_part == 3) {
        switch_to_next_animation();
        return;
    }

    const std::string& letters = animation_part == 0 ? a.start : animation_part == 1 ? a.loop : a.end;
    set_phase(letters[letter] - 'A');
    ++letter;
    if (letter >= letters.size()) {
        bool has_next = next_animation >= 0, has_end = !a.end.empty();
        switch (animation_part) {
            case 0:
                if (has_next && !has_end) {
                    switch_to_next_animation();
                } else {
                    animation_part = has_next ? 2 : 1;
                    letter = 0;
                }
                break;
            case 1:
                if (has_next && !has_end) {
                    switch_to_next_animation();
                } else {
                    if (has_next) animation_part = 2;
                    letter = 0;
                }
                break;
            default: switch_to_next_animation(); break;
        }
    }
    if (current_animation >= 0 && size_t(current_animation) < def->animations.size())
        wait = uint16_t(std::clamp(def->animations[size_t(current_animation)].delay, 0, 0xFFFF));
}

Rect Sprite::bounds(int32_t ox, int32_t oy) const {
    const uint32_t scaling = flags & RZ_MASK;
    const int64_t cx = int64_t(x) - ox, cy = int64_t(y) - oy;
    if (scaling != 0 && scaling != RZ_ZOOMED && scaling != RZ_HQZOOMED) {
        // Rotated: the box the rotozoom blitter draws in, plus a margin.
        Size half = rotozoom_half_extent(frame_width, frame_height, zoom, rotation);
        return {clamp_to_i32(cx - half.width - 2), clamp_to_i32(cy - half.height - 2),
                clamp_to_i32(cx + half.width + 3), clamp_to_i32(cy + half.height + 3)};
    }
    int64_t w = frame_width, h = frame_height;
    if (scaling != 0) {
        w = (zoom > 0 ? zoomed_length(frame_width, zoom) : 0) + 2;
        h = (zoom > 0 ? zoomed_length(frame_height, zoom) : 0) + 2;
    }
    int64_t left = cx, top = cy;
    switch (flags & GRAB_HMASK) {
        case GRAB_RIGHT: left -= w; break;
        case GRAB_HCENTER: w += 1, left -= w / 2; break;
        default: break;
    }
    switch (flags & GRAB_VMASK) {
        case GRAB_BOTTOM: top -= h; break;
        case GRAB_VCENTER: h += 1, top -= h / 2; break;
        default: break;
    }
    return {clamp_to_i32(left), clamp_to_i32(top), clamp_to_i32(left + w), clamp_to_i32(top + h)};
}

bool Sprite::contains_point(int32_t px, int32_t py, int32_t ox, int32_t oy) const {
    return bounds(ox, oy).contains({px, py});
}

bool Sprite::contains_opaque_point(int32_t px, int32_t py, int32_t ox, int32_t oy) const {
    if (!contains_point(px, py, ox, oy)) return false;
    const Bitmap* picture = bitmap();
    if ((flags & RZ_MASK) != 0 || !picture) return true;
    WideRect frame = anchored_rect(int64_t(x) - ox, int64_t(y) - oy, frame_width, frame_height, flags);
    int64_t column = px - frame.left, row = py - frame.top;
    if (column < 0 || column >= frame_width || row < 0 || row >= frame_height) return false;
    return picture->pixels[size_t(frame_offset + row * picture->width + column)] != kColorKey;
}

void Sprite::composite(const Sprite& src) {
    Bitmap* to = bitmap();
    const Bitmap* from = src.bitmap();
    if (!to || !from || !to->has_alpha() || !from->has_alpha() || to->width != from->width) {
        std::fprintf(stderr, "Sprite::composite: both pictures need alpha planes and equal widths\n");
        return;
    }
    const size_t count = size_t(to->width) * size_t(std::min(frame_height, src.frame_height));
    for (size_t i = 0; i < count; ++i) {
        const size_t di = size_t(frame_offset) + i, si = size_t(src.frame_offset) + i;
        const int32_t sa = from->alpha[si], da = to->alpha[di];
        const uint32_t sp = from->pixels[si], dp = to->pixels[di];
        if (sa == 0) continue;
        if (sa >= 32 || da == 0) {
            to->pixels[di] = uint16_t(sp);
            to->alpha[di] = uint8_t(sa >= 32 ? 32 : sa);
            continue;
        }
        const int32_t a = sa - ((sa * da) >> 5) + da;
        auto mix = [&](int32_t s, int32_t d) { return (s * sa - ((sa * da * d) >> 5) + da * d) / a; };
        const int32_t r = mix((sp >> 8) & 0xF8, (dp >> 8) & 0xF8);
        const int32_t g = mix((sp >> 3) & 0xFC, (dp >> 3) & 0xFC);
        const int32_t b = mix((sp << 3) & 0xFF, (dp << 3) & 0xFF);
        to->pixels[di] = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
        to->alpha[di] = uint8_t(a);
    }
}

BlitSource Sprite::blit_source() const {
    BlitSource s;
    s.frame_offset = frame_offset;
    s.frame_width = frame_width;
    s.frame_height = frame_height;
    if (const Bitmap* picture = bitmap(); picture && picture->width > 0) {
        s.pixels = picture->pixels.data();
        s.alpha = picture->has_alpha() ? picture->alpha.data() : nullptr;
        s.bitmap_width = picture->width;
        // Never let a frame reach past the picture, whatever the fields say.
        int64_t rows_left = (int64_t(picture->pixels.size()) - frame_offset) / picture->width;
        if (frame_offset < 0 || rows_left <= 0) s.pixels = nullptr;
        s.frame_width = std::min(frame_width, picture->width);
        s.frame_height = int32_t(std::min<int64_t>(frame_height, rows_left));
    }
    s.x = x;
    s.y = y;
    s.flags = flags;
    s.alpha_value = alpha;
    s.zoom = zoom;
    s.rotation = rotation;
    return s;
}
