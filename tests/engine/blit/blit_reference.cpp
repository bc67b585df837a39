#include "blit_reference.h"

#include "engine/core/fixed_math.h"

#include <algorithm>
#include <initializer_list>

namespace {

struct Channels {
    int32_t r, g, b;
};

Channels split(uint16_t p) { return {p >> 11, (p >> 5) & 0x3F, p & 0x1F}; }
uint16_t join(Channels c) { return uint16_t((c.r << 11) | (c.g << 5) | c.b); }

bool in_list(uint32_t mode, std::initializer_list<uint32_t> modes) {
    return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

// The operation of a drawing mode on one target pixel.
void apply_mode(uint32_t mode, uint16_t& d, uint16_t s, int32_t pixel_alpha, int32_t sprite_alpha) {
    if ((mode & 0x10) && s == 0xF81F) return;
    bool has_alpha = (mode & 3) != 0;
    int32_t o = 32;
    switch (mode & 3) {
        case 1: o = sprite_alpha; break;
        case 2: o = pixel_alpha; break;
        case 3: o = (pixel_alpha == 0 || sprite_alpha == 0) ? 0 : (pixel_alpha * sprite_alpha) >> 5; break;
    }
    uint32_t blend = mode & 0x3000;
    if (blend == 0) {
        if (!has_alpha || o >= 32) {
            d = s;
        } else if (o > 0 && s != d) {
            d = reference_blend(s, d, o);
        }
        return;
    }
    auto op = blend == 0x1000 ? reference_lighten : reference_darken;
    if (!has_alpha) {
        if (s != 0) d = op(d, s);
    } else if (o >= 32) {
        d = op(d, s);
    } else if (o > 0 && s != 0) {
        uint16_t faded = reference_scale(s, o);
        if (faded != 0) d = op(d, faded);
    }
}

uint16_t& target_pixel(const BlitTarget& t, int32_t x, int32_t y) { return *t.at(x, y); }

struct Box {
    int64_t left, top;
};

// Top-left corner of a w x h frame anchored at x, y by the anchor bits.
Box anchor(int64_t x, int64_t y, int64_t w, int64_t h, uint32_t flags) {
    uint32_t hor = flags & 0x6000000, ver = flags & 0x9000000;
    if (hor == 0x2000000) x -= w;
    if (hor == 0x4000000) x -= w / 2;
    if (ver == 0x1000000) y -= h;
    if (ver == 0x8000000) y -= h / 2;
    return {x, y};
}

int64_t frame_index(const BlitSource& s, int64_t row, int64_t column) {
    return s.frame_offset + row * s.bitmap_width + column;
}

void plain(const BlitTarget& t, BlitSource s, const BlitView& v) {
    int64_t w = s.frame_width, h = s.frame_height;
    Box at = anchor(int64_t(s.x) - v.shift.x, int64_t(s.y) - v.shift.y, w, h, s.flags);
    if ((s.flags & 1) && s.alpha_value == 32) s.flags &= ~1u;
    if (s.flags & 0x4000) {
        uint64_t sum = 0, count = 0;
        for (int32_t y = v.clip.top; y < v.clip.bottom; ++y)
            for (int32_t x = v.clip.left; x < v.clip.right; ++x) {
                if (x < at.left || x >= at.left + w || y < at.top || y >= at.top + h) continue;
                Channels c = split(target_pixel(t, x, y));
                sum += (c.r << 3) + (c.g << 2) + (c.b << 3);
                ++count;
            }
        if (count == 0) return;
        s.flags = (s.flags & ~0x4000u) | (sum / (3 * count) < 128 ? 0x1000 : 0x2000);
    }
    uint32_t mode = s.flags & 0xFFF0F7;
    if (!reference_supports(BlitKind::plain, mode)) return;
    for (int32_t y = v.clip.top; y < v.clip.bottom; ++y)
        for (int32_t x = v.clip.left; x < v.clip.right; ++x) {
            if (x < at.left || x >= at.left + w || y < at.top || y >= at.top + h) continue;
            int64_t i = frame_index(s, y - at.top, x - at.left);
            apply_mode(mode, target_pixel(t, x, y), s.pixels[i], s.alpha ? s.alpha[i] : 0, s.alpha_value);
        }
}

void zoomed(const BlitTarget& t, const BlitSource& s, const BlitView& v) {
    uint32_t mode = s.flags & 0xFFF0F7;
    if (s.zoom <= 0 || !reference_supports(BlitKind::zoomed, mode)) return;
    int64_t w = (int64_t(s.zoom) * s.frame_width + 512) / 1024, h = (int64_t(s.zoom) * s.frame_height + 512) / 1024;
    int64_t step = 0x100000 / s.zoom;
    Box at = anchor(int64_t(s.x) - v.shift.x, int64_t(s.y) - v.shift.y, w, h, s.flags);
    for (int32_t y = v.clip.top; y < v.clip.bottom; ++y)
        for (int32_t x = v.clip.left; x < v.clip.right; ++x) {
            if (x < at.left || x >= at.left + w || y < at.top || y >= at.top + h) continue;
            int64_t i = frame_index(s, (y - at.top) * step / 1024, (x - at.left) * step / 1024);
            apply_mode(mode, target_pixel(t, x, y), s.pixels[i], s.alpha ? s.alpha[i] : 0, s.alpha_value);
        }
}

void hq_zoomed(const BlitTarget& t, const BlitSource& s, const BlitView& v) {
    uint32_t mode = s.flags & 0xFFF0F7;
    if (s.zoom <= 0 || !reference_supports(BlitKind::hq_zoomed, mode)) return;
    int64_t w = (int64_t(s.zoom) * s.frame_width + 512) / 1024, h = (int64_t(s.zoom) * s.frame_height + 512) / 1024;
    int64_t step = 0x100000 / s.zoom;
    int64_t half = step / 2, across = s.bitmap_width * (step / 2048);
    Box at = anchor(int64_t(s.x) - v.shift.x, int64_t(s.y) - v.shift.y, w, h, s.flags);
    for (int32_t y = v.clip.top; y < v.clip.bottom; ++y)
        for (int32_t x = v.clip.left; x < v.clip.right; ++x) {
            if (x < at.left || x >= at.left + w || y < at.top || y >= at.top + h) continue;
            int64_t row = (y - at.top) * step / 1024;
            int64_t f = (x - at.left) * step;
            int64_t offsets[4] = {0, half + across, half, across};
            uint16_t px[4];
            int32_t q[4];
            for (int k = 0; k < 4; ++k) {
                int64_t column = f == 0 ? 0 : std::min<int64_t>((f + offsets[k]) / 1024, s.frame_width - 1);
                int64_t i = frame_index(s, row, column);
                px[k] = s.pixels[i];
                int32_t a = s.alpha ? s.alpha[i] : 0;
                q[k] = (a == 0 || s.alpha_value == 0) ? 0 : (a * s.alpha_value) >> 5;
            }
            if (px[0] == 0xF81F) continue;
            uint16_t color = px[0];
            if (px[1] != 0xF81F && px[2] != 0xF81F && px[3] != 0xF81F) {
                Channels sum{0, 0, 0};
                for (uint16_t p : px) {
                    Channels c = split(p);
                    sum.r += c.r, sum.g += c.g, sum.b += c.b;
                }
                color = join({sum.r / 4, sum.g / 4, (sum.b + 2) / 4});
            }
            uint16_t& d = target_pixel(t, x, y);
            if (mode == 16) {
                d = color;
                continue;
            }
            int32_t o = (q[0] + q[1] + q[2] + q[3] + 2) / 4;
            if (o >= 32 || color == d) d = color;
            else if (o > 0) d = reference_blend(color, d, o);
        }
}

void rotozoomed(const BlitTarget& t, const BlitSource& s, const BlitView& v) {
    uint32_t mode = s.flags & 0xFFF0F7;
    if (s.zoom <= 0 || !reference_supports(BlitKind::rotozoomed, mode)) return;
    int64_t k = (0x4000000 / s.zoom) >> 8;
    int32_t angle = s.rotation % 0x1680000;
    int64_t cx = int64_t(fix_sin(angle + 0x5A0000) / 256) * k;
    int64_t sx = int64_t(fix_sin(angle) / 256) * k;
    if (cx == 0 && sx == 0) return;
    int64_t hw = s.frame_width / 2, hh = s.frame_height / 2;
    for (int32_t y = v.clip.top; y < v.clip.bottom; ++y)
        for (int32_t x = v.clip.left; x < v.clip.right; ++x) {
            int64_t dx = x - (int64_t(s.x) - v.shift.x), dy = y - (int64_t(s.y) - v.shift.y);
            int64_t ui = (dx * cx - dy * sx) / 65536, vi = (dx * sx + dy * cx) / 65536;
            if (!(-hw < ui && ui < hw && -hh < vi && vi < hh)) continue;
            int64_t i = frame_index(s, vi + hh, ui + hw);
            apply_mode(mode, target_pixel(t, x, y), s.pixels[i], s.alpha ? s.alpha[i] : 0, s.alpha_value);
        }
}

}  // namespace

bool reference_supports(BlitKind kind, uint32_t mode) {
    switch (kind) {
        case BlitKind::plain:
            return in_list(mode, {0, 1, 2, 3, 16, 17, 18, 19, 4096, 4097, 4098, 4099, 4112, 4113, 8192, 8193,
                                  8194, 8195, 8208, 8209});
        case BlitKind::zoomed: return in_list(mode, {0, 1, 2, 3, 16, 17, 4096, 4097, 4098, 4113, 8195});
        case BlitKind::hq_zoomed: return in_list(mode, {16, 19});
        case BlitKind::rotozoomed: return in_list(mode, {0, 1, 2, 3, 17, 18, 19, 4096, 4098});
    }
    return false;
}

void reference_blit(BlitKind kind, const BlitTarget& target, BlitSource source, const BlitView& view) {
    if (!source.pixels || source.frame_width <= 0 || source.frame_height <= 0) return;
    if (!source.alpha) source.flags &= ~2u;
    switch (kind) {
        case BlitKind::plain: plain(target, source, view); break;
        case BlitKind::zoomed: zoomed(target, source, view); break;
        case BlitKind::hq_zoomed: hq_zoomed(target, source, view); break;
        case BlitKind::rotozoomed: rotozoomed(target, source, view); break;
    }
}

uint16_t reference_blend(uint16_t s, uint16_t d, int32_t a) {
    Channels cs = split(s), cd = split(d);
    return join({(cs.r * a + cd.r * (32 - a)) >> 5, (cs.g * a + cd.g * (32 - a)) >> 5,
                 (cs.b * a + cd.b * (32 - a)) >> 5});
}

uint16_t reference_scale(uint16_t s, int32_t a) {
    Channels c = split(s);
    return join({(c.r * a) >> 5, (c.g * a) >> 5, (c.b * a) >> 5});
}

// Lighten and darken work on 4 bits of red, 5 of green and 4 of blue.
uint16_t reference_lighten(uint16_t d, uint16_t s) {
    Channels a = split(d), b = split(s);
    return join({std::min(15, (a.r >> 1) + (b.r >> 1)) << 1, std::min(31, (a.g >> 1) + (b.g >> 1)) << 1,
                 std::min(15, (a.b >> 1) + (b.b >> 1)) << 1});
}

uint16_t reference_darken(uint16_t d, uint16_t s) {
    Channels a = split(d), b = split(s);
    return join({std::max(0, (a.r >> 1) - (b.r >> 1)) << 1, std::max(0, (a.g >> 1) - (b.g >> 1)) << 1,
                 std::max(0, (a.b >> 1) - (b.b >> 1)) << 1});
}
