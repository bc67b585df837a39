#include "engine/ui/text_anim.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/crt_random.h"
#include "engine/core/fixed_math.h"
#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"

namespace {

// Angles grow without bound in long animations; the sine table only takes
// a limited range, so every angle is brought into 0..359 first.
int32_t wrap360(int64_t angle) {
    int64_t r = angle % 360;
    return int32_t(r < 0 ? r + 360 : r);
}
int32_t sin_deg(int64_t angle) { return fix_sin(wrap360(angle) << 16); }
int32_t cos_deg(int64_t angle) { return sin_deg(int64_t(wrap360(angle)) + 90); }
int32_t times(int32_t amount, int32_t fixed) { return int32_t((int64_t(amount) * fixed) >> 16); }

// The zoom of a letter's companion sprite: 4096 times the reciprocal
// 0x1000000 / (zoom x 65536) taken as a signed 4-bit number. A zoom of 0
// or less gives 0: nothing drawn.
int32_t echo_zoom(int32_t zoom) {
    if (zoom <= 0) return 0;
    const int64_t v = int64_t(0x1000000) / (int64_t(zoom) * 65536);
    int32_t q = int32_t(v & 0xF);
    if (q >= 8) q -= 16;
    return 4096 * q;
}

constexpr int32_t kMaxZoom = 1 << 20;

// Moves the letter's resting place by the fly speed: direction 0 up, 1 down,
// 3 left, 4 right; 2 (or anything else) stays.
void fly(TextLetter& l, const TextEffectParams& fx) {
    const int32_t d = fx.fly_speed;
    if (fx.fly_dir == 0) l.base_y -= d;
    if (fx.fly_dir == 1) l.base_y += d;
    if (fx.fly_dir == 3) l.base_x -= d;
    if (fx.fly_dir == 4) l.base_x += d;
}

}  // namespace

TextAnim::TextAnim(IniFile& anims, IniFile& effects, const char* name, const std::u16string& shown,
                   int32_t alpha, bool with_echoes, int32_t wrap_width, SpriteGroup& group, int32_t depth)
    : text(shown), target_alpha(alpha), effects_(effects) {
    font.load(narrow_to_wide_signed(anims.get_string("gemfont", "font", name)));
    extra_char_dist = anims.get_int(0, "ExtraCharDist", name);
    static const char* const kTimeKeys[] = {"time1", "time2", "time3"};
    static const char* const kEffectKeys[] = {"effect1", "effect2", "effect3"};
    for (int p = 0; p < 3; ++p) {
        phases[p].time = anims.get_int(0, kTimeKeys[p], name);
        phases[p].effect = anims.get_string("none", kEffectKeys[p], name);
    }
    load_effect(0);
    echoes_left = with_echoes ? std::max(0, fx.echo_number - 1) : 0;
    if (fx.effect == 0) return;
    whole_text = fx.whole_text();
    if (whole_text)
        render_whole(text, wrap_width, group, depth);
    else
        render_letters(text, group, depth);
}

TextAnim::~TextAnim() = default;

void TextAnim::load_effect(int32_t p) { fx = load_text_effect(effects_, phases[p].effect.c_str()); }

const std::string& TextAnim::current_effect() const { return phases[std::clamp(phase, 0, 2)].effect; }

void TextAnim::render_letters(const std::u16string& shown, SpriteGroup& group, int32_t depth) {
    for (char16_t c : shown) {
        const char16_t one[2] = {c, 0};
        TextLetter l;
        l.sprite = font.render_text(one, 1000, 0, 0, 0, 0, -1);
        l.echo = font.render_text(one, 1000, 0, 0, 0, 0, -1);
        group.add_sprite(l.sprite, 0, -100, depth, 0, GRAB_CENTER | ALPHA_LAYER, 0);
        group.add_sprite(l.echo, 0, -100, depth, 0, GRAB_CENTER | ALPHA_LAYER | INVISIBLE, 0);
        letters.push_back(l);
    }
}

void TextAnim::render_whole(std::u16string shown, int32_t wrap_width, SpriteGroup& group, int32_t depth) {
    const uint32_t t = font.glyphs[uint8_t('t')];
    const int32_t step = int32_t(t & 0xFFFF) - int32_t(t >> 16) - font.char_dist;
    if (wrap_width > 0 && step > 0) {
        // Every character is taken as wide as "t"; a line that reaches the
        // wrap width breaks at its last space.
        int64_t width = 0;
        size_t last_space = std::u16string::npos;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (shown[i] == u'\n') {
                width = 0;
                last_space = std::u16string::npos;
                continue;
            }
            if (shown[i] == u' ') last_space = i;
            width += step;
            if (width >= wrap_width && last_space != std::u16string::npos) {
                shown[last_space] = u'\n';
                width = int64_t(i - last_space) * step;
                last_space = std::u16string::npos;
            }
        }
    }
    TextLetter l;
    l.sprite = font.render_text(shown.c_str(), 1000, 0, 0, 0, 0, -1);
    group.add_sprite(l.sprite, 0, -100, depth, 0, ALPHA_LAYER, 0);
    letters.push_back(l);
    whole_shown_ = std::move(shown);
    group_ = &group;
    depth_ = depth;
}

void TextAnim::add_whole_text_echo() {
    TextLetter& l = letters[0];
    l.echo = font.render_text(whole_shown_.c_str(), 1000, 0, 0, 0, 0, -1);
    // Drawn the way the text is, so that where it shows it lies on the text.
    group_->add_sprite(l.echo, l.base_x, l.base_y, depth_, 0, l.sprite->flags | INVISIBLE, 0);
}

void TextAnim::place(int32_t nx, int32_t ny) {
    x = nx;
    y = ny;
    if (letters.empty()) return;
    if (whole_text) {
        TextLetter& l = letters[0];
        l.base_x = nx - l.sprite->frame_width / 2;
        l.base_y = ny;
        l.sprite->set_position(l.base_x, l.base_y, Sprite::KEEP);
        return;
    }
    const int32_t spacing = extra_char_dist - font.char_dist;
    std::vector<int32_t> offsets(letters.size(), 0);
    for (size_t i = 1; i < letters.size(); ++i)
        offsets[i] = offsets[i - 1] + (letters[i - 1].sprite->frame_width + spacing) / 2 +
                     (letters[i].sprite->frame_width + spacing) / 2;
    const int32_t half = offsets.back() / 2;
    for (size_t i = 0; i < letters.size(); ++i) {
        TextLetter& l = letters[i];
        l.base_x = nx + offsets[i] - half;
        l.base_y = ny;
        l.sprite->set_position(l.base_x, l.base_y, Sprite::KEEP);
        l.echo->set_position(l.base_x, l.base_y, Sprite::KEEP);
    }
}

void TextAnim::next_phase(int32_t p) {
    phase = p;
    frame = 0;
    if (p >= 3) {
        flags &= ~kShowing;
        return;
    }
    if (phases[p].time != 0) load_effect(p);
    if (fx.effect != 0 && !fx.waits()) start_phase(x, y);
}

void TextAnim::start_phase(int32_t, int32_t) {
    flags |= kShowing;
    // Each phase reads its flags by its own effect's kind: a whole-text
    // effect moves and fades every sprite alike, a letter effect treats
    // the whole-text sprite as one letter.
    const bool whole = fx.whole_text();
    if (!whole && whole_text && !letters.empty() && !letters[0].echo) add_whole_text_echo();
    divider = 1;
    if (!whole) {
        if (fx.has(LETTER_MOVE_WALK) || fx.has(LETTER_MOVE_THROW) || fx.has(LETTER_MOVE_PARABOLIC))
            divider = 4;
        else if (fx.has(LETTER_MOVE_FLY))
            divider = 3;
    }
    const bool fades = whole ? (fx.effect & 0x40) != 0 : fx.has(LETTER_ALPHA_FADEINOUT);
    const bool turns = whole ? (fx.effect & 0x1) != 0 : fx.has(LETTER_ROTATE);
    const bool zooms = whole ? (fx.effect & 0x82) != 0 : (fx.effect & (LETTER_ZOOM | LETTER_SHRINK | LETTER_OUT_SHRINK)) != 0;
    for (size_t n = 0; n < letters.size(); ++n) {
        TextLetter& l = letters[n];
        const int32_t i = whole ? 0 : int32_t(n);
        if (whole) l.alpha = letters[0].alpha;  // one alpha for the text
        if (phase == 0 && (fades || fx.has(LETTER_DRAW_TYPEWRITER))) l.alpha = 0;
        l.alpha_wait = fx.alpha_wait + fx.alpha_followup * i;
        l.alpha_ticks = 0;
        l.alpha_repeats = fx.alpha_repeat - 1;
        l.alpha_dir = l.alpha >= target_alpha ? -1 : 1;
        l.alpha_from_one = false;
        l.typewriter = fx.typewriter_speed * i + 1;
        l.angle = 0;
        l.rotation_wait = fx.rotation_wait + fx.rotation_followup * i;
        l.rotation_repeats = fx.rotation_repeat;
        l.zoom_dir = 1;
        l.zoom_wait = fx.zoom_followup * i;
        l.zoom_repeats = fx.zoom_repeat;
        if (whole ? (fx.effect & 0x2) != 0 : fx.has(LETTER_ZOOM)) l.zoom = fx.zoom_min;
        if (whole ? (fx.effect & 0x80) != 0 : fx.has(LETTER_SHRINK)) l.zoom = fx.zoom_max;
        l.zoom = std::clamp(l.zoom, 0, kMaxZoom);
        l.move_wait = fx.move_wait + fx.move_followup * i;
        l.move_repeats = fx.move_repeat;
        l.amplitude = fx.sinus_wavemax;
        l.wave_angle = wrap360(90 + int64_t(fx.move_followup) * i);
        l.pixel_wait = fx.pixel_wait + fx.pixel_followup * i;
        l.pixel_repeats = fx.pixel_repeat;
        l.jitter = 0;
        l.jitter_dir = 1;
        if (turns || zooms) l.sprite->set_flags(RZ_ROTOZOOMED);
        l.sprite->set_zoom(l.zoom);
        if (!whole && fx.has(LETTER_MOVE_PARABOLIC)) {
            l.radius = fx.parabolic_radiusmax;
            if (fx.parabolic_radiusrnd > 0) l.radius -= crt_rand() % fx.parabolic_radiusrnd;
            l.radius_angle = fx.parabolic_startmiddle ? 90 : 0;
            if (phase == 0 && !fx.parabolic_horizontal) {
                l.sprite->set_position(Sprite::KEEP, 500, Sprite::KEEP);
                if (l.echo) l.echo->set_position(Sprite::KEEP, 500, Sprite::KEEP);  // below the screen
            }
        }
    }
}

int32_t TextAnim::letter_alpha(TextLetter& l, size_t i) const {
    (void)i;
    if (!(flags & kShowing)) return 0;
    const bool fades = fx.whole_text() ? (fx.effect & 0x40) != 0 : fx.has(LETTER_ALPHA_FADEINOUT);
    if (fades) {
        if (l.alpha_wait > 0) {
            --l.alpha_wait;
            return l.alpha;
        }
        if (++l.alpha_ticks % fx.alpha_speed != 0) return l.alpha;
        if (l.alpha_dir > 0) {
            int64_t a = l.alpha_from_one ? 1 : int64_t(l.alpha) + fx.alpha_step;
            l.alpha_from_one = false;
            if (a >= target_alpha) {
                a = target_alpha;
                if (l.alpha_repeats > 0) {
                    --l.alpha_repeats;
                    l.alpha_dir = -1;
                }
            }
            return int32_t(std::max<int64_t>(a, 0));
        }
        int64_t a = int64_t(l.alpha) - fx.alpha_step;
        if (a <= 0) {
            a = 0;
            l.alpha_dir = 1;
            l.alpha_from_one = true;
        }
        return int32_t(std::min<int64_t>(a, 32));
    }
    if (!fx.whole_text() && fx.has(LETTER_DRAW_TYPEWRITER) && l.typewriter > 0 && --l.typewriter > 0) return 0;
    return target_alpha;
}

int32_t TextAnim::update() {
    if (phase < 0) return 0;
    ++frame;
    if (phase <= 2 && phases[phase].time != 0 && frame >= phases[phase].time) next_phase(phase + 1);
    if (letters.empty()) return 0;
    if (fx.waits()) return phase + 1;
    return fx.whole_text() ? update_whole() : update_letters();
}

int32_t TextAnim::update_letters() {
    const bool geometry = frame % divider == 0;
    bool zoom_changed = false, visible = false;
    for (size_t i = 0; i < letters.size(); ++i) {
        TextLetter& l = letters[i];
        l.alpha = letter_alpha(l, i);
        l.sprite->set_alpha(l.alpha);
        if (fx.has(LETTER_PIXEL_DISORT) && l.echo) l.echo->set_alpha(l.alpha);
        visible |= l.alpha > 0;
        if (geometry) step_geometry(l, i, zoom_changed);
    }
    if (zoom_changed && !whole_text && !(fx.effect & LETTER_MOVE_MASK) && fx.zoom_recalculatepos)
        recenter_zoomed_letters();
    // Letters that wait at alpha 0 to fade in do not end the animation.
    if (!visible && !(flags & kShowing)) return 0;
    return phase + 1;
}

void TextAnim::step_geometry(TextLetter& l, size_t i, bool& zoom_changed) {
    Sprite& s = *l.sprite;
    const bool showing = (flags & kShowing) != 0;
    if (fx.has(LETTER_ROTATE)) {
        if (l.rotation_wait > 0) {
            --l.rotation_wait;
        } else if (l.rotation_repeats > 0) {
            const int64_t angle = int64_t(l.angle) + fx.rotation_step;
            l.angle = angle >= 360 ? 0 : int32_t(std::max<int64_t>(angle, 0));
            if (angle >= 360) --l.rotation_repeats;
            s.set_rotation(l.angle << 16);
            if (l.echo) l.echo->set_rotation(wrap360(360 - l.angle) << 16);
        }
    }

    const int32_t old_zoom = l.zoom;
    if (fx.has(LETTER_ZOOM)) {
        if (l.zoom_pause > 0) {
            --l.zoom_pause;
        } else if (l.zoom_wait > 0) {
            --l.zoom_wait;
        } else if (l.zoom_repeats > 0) {
            if (l.zoom_dir > 0) {
                l.zoom = int32_t(std::min<int64_t>(int64_t(l.zoom) + fx.zoom_step, fx.zoom_max));
                if (l.zoom >= fx.zoom_max) l.zoom_dir = -1;
            } else {
                l.zoom = int32_t(std::max<int64_t>(int64_t(l.zoom) - fx.zoom_step, fx.zoom_stop));
                if (l.zoom <= fx.zoom_stop) {
                    l.zoom_dir = 1;
                    --l.zoom_repeats;
                    l.zoom_pause = fx.zoom_wait;
                }
            }
        }
    } else if (fx.has(LETTER_SHRINK) && l.zoom > fx.zoom_min) {
        l.zoom = int32_t(std::max<int64_t>(int64_t(l.zoom) - fx.zoom_step, fx.zoom_min));
    }
    if (fx.has(LETTER_OUT_SHRINK) && !showing) l.zoom -= 20;
    l.zoom = std::clamp(l.zoom, 0, kMaxZoom);
    if (l.zoom != old_zoom) {
        zoom_changed = true;
        s.set_zoom(l.zoom);
    }
    if (l.echo) l.echo->zoom = echo_zoom(l.zoom);

    int32_t px = s.x, py = s.y;
    if (fx.has(LETTER_MOVE_FLY)) {
        fly(l, fx);
        px = l.base_x;
        py = l.base_y;
    }
    if (fx.has(LETTER_MOVE_SINUS)) {
        if (l.move_wait > 0) {
            --l.move_wait;
        } else if (l.move_repeats > 0) {
            l.wave_angle += std::max(fx.sinus_wavespeed, 0);
            while (l.wave_angle >= 360 && l.move_repeats > 0) {
                l.wave_angle -= 360;
                --l.move_repeats;
            }
            l.wave_angle = wrap360(l.wave_angle);
            py = l.base_y - times(l.amplitude, cos_deg(l.wave_angle));
        }
    }
    if (fx.has(LETTER_MOVE_PARABOLIC)) {
        step_parabolic(i);
        if (l.move_wait <= 0 || l.radius > 0) {
            const int32_t sign = fx.parabolic_fall ? -1 : 1;
            const int32_t swing = sign * times(l.radius, cos_deg(l.radius_angle));
            if (fx.parabolic_horizontal)
                px = l.base_x + swing;
            else
                py = l.base_y + swing;
        }
    }
    if (fx.has(LETTER_PIXEL_SINUS)) step_pixel_wave(l);
    if (fx.has(LETTER_PIXEL_DISORT)) {
        step_jitter(l);
        px = l.base_x + l.jitter;
    }
    s.set_position(px, py, Sprite::KEEP);
    if (!l.echo) return;
    if (!fx.has(LETTER_PIXEL_SINUS)) l.echo->set_position(l.base_x, l.base_y, Sprite::KEEP);
    if (fx.has(LETTER_PIXEL_DISORT)) l.echo->clear_flags(INVISIBLE);
}

void TextAnim::step_parabolic(size_t i) {
    TextLetter& l = letters[i];
    if (l.move_wait > 0) {
        --l.move_wait;
        return;
    }
    const int32_t room = std::max(l.radius - fx.parabolic_radiusmin, 0);
    l.radius -= std::clamp(fx.parabolic_radiusdec, 0, room);
    const int32_t before = l.radius_angle;
    l.radius_angle = wrap360(int64_t(l.radius_angle) + fx.parabolic_radiusstep);
    if (!(before < 90 && l.radius_angle >= 90) || l.move_repeats <= 0) return;
    if (--l.move_repeats > 0) return;
    if (i + 1 == letters.size()) {
        for (size_t j = 0; j < letters.size(); ++j) {
            TextLetter& k = letters[j];
            k.move_wait = fx.move_wait + fx.move_followup * int32_t(j);
            k.radius = fx.parabolic_radiusmax;
            k.move_repeats = fx.move_repeat;
            k.radius_angle = fx.parabolic_startmiddle ? 90 : 0;
        }
    } else {
        l.radius = 0;
        l.radius_angle = 0;
    }
}

void TextAnim::step_pixel_wave(TextLetter& l) {
    if (l.pixel_wait > 0) {
        --l.pixel_wait;
        return;
    }
    Bitmap* out = l.sprite->bitmap();
    const Bitmap* source = l.echo ? l.echo->bitmap() : nullptr;
    if (!out || !source || out->width != source->width || out->height != source->height) return;
    const int32_t half = fx.pix_wave_max / 2;
    const uint16_t cleared = out->has_alpha() ? 0 : kColorKey;
    for (int32_t row = 0; row < out->height; ++row) {
        const int32_t shift = half + times(half, sin_deg(int64_t(row) * fx.pix_wave_freq + l.pixel_phase));
        for (int32_t column = 0; column < out->width; ++column) {
            const int64_t from = int64_t(column) - shift;
            const size_t at = out->index(column, row);
            const bool inside = from >= 0 && from < out->width;
            out->pixels[at] = inside ? source->pixels[source->index(int32_t(from), row)] : cleared;
            if (out->has_alpha()) out->alpha[at] = inside ? source->alpha[source->index(int32_t(from), row)] : 0;
        }
    }
    l.pixel_phase = wrap360(int64_t(l.pixel_phase) + fx.pix_wave_speed);
    l.echo->set_flags(INVISIBLE);
    l.sprite->invalidate();
}

void TextAnim::step_jitter(TextLetter& l) {
    if (l.pixel_wait > 0) {
        --l.pixel_wait;
        return;
    }
    if (l.pixel_repeats <= 0) return;
    l.jitter += l.jitter_dir;
    if (std::abs(l.jitter) > 5) l.jitter_dir = -l.jitter_dir;
    if (l.jitter == 0) --l.pixel_repeats;
}

void TextAnim::recenter_zoomed_letters() {
    const int32_t spacing = extra_char_dist - font.char_dist;
    int64_t total = 0;
    for (const TextLetter& l : letters) total += int64_t(l.sprite->frame_width) * l.zoom / 1024 + spacing;
    int64_t left = x - total / 2;
    for (TextLetter& l : letters) {
        const int64_t w = int64_t(l.sprite->frame_width) * l.zoom / 1024 + spacing;
        l.base_x = int32_t(left + w / 2);
        left += w;
        l.sprite->set_position(l.base_x, Sprite::KEEP, Sprite::KEEP);
    }
}

int32_t TextAnim::update_whole() {
    // Every sprite (the one of the whole text, or each letter) takes the
    // same steps from the same start, so the letters move and fade as one.
    bool visible = false;
    for (TextLetter& l : letters) {
        step_whole(l);
        visible |= l.alpha > 0;
    }
    if (!visible && !(flags & kShowing)) return 0;
    return phase + 1;
}

void TextAnim::step_whole(TextLetter& l) {
    Sprite& s = *l.sprite;
    l.alpha = letter_alpha(l, 0);
    s.set_alpha(l.alpha);
    if (l.alpha == 0 && !(flags & kShowing)) return;
    int32_t py = l.base_y;
    if (fx.effect & 0x10) {
        fly(l, fx);
        py = l.base_y;
    }
    if (fx.effect & 0x4) {
        l.wave_angle = wrap360(int64_t(l.wave_angle) + 3);
        py = l.base_y - times(l.amplitude, cos_deg(l.wave_angle));
    }
    s.set_position(l.base_x, py, Sprite::KEEP);
    if (fx.effect & 0x1) {
        l.angle = wrap360(int64_t(l.angle) - fx.rotation_step);
        s.set_rotation(l.angle << 16);
    }
    if (fx.effect & 0x2) l.zoom = int32_t(std::min<int64_t>(int64_t(l.zoom) + fx.zoom_step, fx.zoom_max));
    if (fx.effect & 0x80) l.zoom = int32_t(std::max<int64_t>(int64_t(l.zoom) - fx.zoom_step, fx.zoom_min));
    l.zoom = std::clamp(l.zoom, 0, kMaxZoom);
    s.set_zoom(l.zoom);
}

void TextAnim::remove_sprites(SpriteGroup& group) {
    for (TextLetter& l : letters) {
        group.remove_sprite(l.sprite);
        if (l.echo) group.remove_sprite(l.echo);
    }
    letters.clear();
}
