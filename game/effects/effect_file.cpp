#include "game/effects/effect_file.h"

#include <algorithm>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"

namespace {

IniSymbol g_effect_symbols[] = {
    {"PARTICLESYS", kEffectParticleSys, 0xFFFFFFFF},
    {"PIXELWAVE", kEffectPixelWave, 0xFFFFFFFF},
    {"PIXELAURA", kEffectPixelAura, 0xFFFFFFFF},
    {"DRAGONFLY", kEffectDragonfly, 0xFFFFFFFF},
    {"ANIMTRAIL", kEffectAnimTrail, 0xFFFFFFFF},
    {"COLORCHANGER", kEffectColorChanger, 0xFFFFFFFF},
    {"RESIZESPRITE", kEffectResizeSprite, 0xFFFFFFFF},
    {"DIZZY", kEffectDizzy, 0xFFFFFFFF},
    {"EARTHSHAKE", kEffectEarthShake, 0xFFFFFFFF},
    {"SNAKE", kEffectSnake, 0xFFFFFFFF},
    {"GHOST", kEffectGhost, 0xFFFFFFFF},
    {"MOVE", kEffectMove, 0xFFFFFFFF},
    {"SPECIALEFFECT", kEffectSpecialEffect, 0xFFFFFFFF},
    {"LIGHTNING", kEffectLightning, 0xFFFFFFFF},
    {"LENSFLAIR", kEffectLensFlair, 0xFFFFFFFF},
    {"CIRCLEPATH", kEffectCirclePath, 0xFFFFFFFF},
    {"SNAKEX", kEffectSnakeX, 0xFFFFFFFF},
    {"PARTICLESYSX", kEffectParticleSysX, 0xFFFFFFFF},
    {"PARTICLESYSX2", kEffectParticleSysX2, 0xFFFFFFFF},
    {"GREY", 0, 0xFFFFFFFF},
    {"RED", 1, 0xFFFFFFFF},
    {"GREEN", 2, 0xFFFFFFFF},
    {"BLUE", 3, 0xFFFFFFFF},
    {nullptr, 0, 0},
};

}  // namespace

std::u16string effect_file_path(std::string_view name) { return u"effects\\" + utf8_to_utf16(name) + u".txt"; }

EffectFile::EffectFile() { file_.set_symbol_table(g_effect_symbols); }

bool EffectFile::load(std::string_view name) {
    section_ = std::string(name);
    return file_.load(effect_file_path(name)) != 0;
}

bool EffectFile::parse(std::string_view name, std::string_view text) {
    section_ = std::string(name);
    return file_.parse(text) != 0;
}

int32_t EffectFile::type() { return get("Type", kEffectPixelWave); }

int32_t EffectFile::get(const char* key, int32_t fallback) { return file_.get_int(fallback, key, section_.c_str()); }

int32_t EffectFile::divisor(const char* key, int32_t fallback) {
    const int32_t value = get(key, fallback);
    return value <= 0 ? 1 : value;
}

std::string EffectFile::text(const char* key, const char* fallback) {
    return file_.get_string(fallback, key, section_.c_str());
}

uint16_t EffectFile::color(const char* red_key, const char* green_key, const char* blue_key, int32_t red,
                           int32_t green, int32_t blue) {
    return pack_channels565(get(red_key, red), get(green_key, green), get(blue_key, blue));
}

int32_t EffectFile::coordinate(const char* key, int32_t fallback) {
    return std::clamp(get(key, fallback), -kEffectCoordinateLimit, kEffectCoordinateLimit);
}

std::vector<Point> EffectFile::places() {
    std::vector<Point> points;
    const auto held = [](int32_t v) { return std::clamp(v, -kEffectCoordinateLimit, kEffectCoordinateLimit); };
    for (int32_t line = 0; file_.find_key(section_.c_str(), line, "Place"); ++line)
        points.push_back({held(file_.get_int(0, "Place", section_.c_str(), line, 0)),
                          held(file_.get_int(0, "Place", section_.c_str(), line, 1))});
    return points;
}

int32_t effect_random(int32_t range) { return range <= 0 ? 0 : crt_rand() % range; }

int32_t effect_random_offset(int32_t half) { return half <= 0 ? 0 : crt_rand() % (2 * half) - half; }
