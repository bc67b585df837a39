// The special-effect file format: "effects/<name>.txt", a key file with a
// section named like the effect. "Type" (a name such as "PARTICLESYS" or a
// number, default 1) picks the effect type; every other key belongs to a type
// and has a default there. Colour symbols "GREY" 0, "RED" 1, "GREEN" 2 and
// "BLUE" 3 may stand for values. Several types take a list of points from
// repeated "Place = x, y" lines, in file order.
//
// Values that a type divides by come from the file, so they are read with
// `divisor`: anything at or below 0 counts as 1. A missing file or key gives
// the defaults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/geometry.h"
#include "engine/files/ini_file.h"

// The effect types, as "Type" names them.
enum EffectType : int32_t {
    kEffectParticleSys = 0,
    kEffectPixelWave = 1,
    kEffectPixelAura = 2,
    kEffectDragonfly = 3,
    kEffectAnimTrail = 4,
    kEffectColorChanger = 5,
    kEffectResizeSprite = 6,
    kEffectDizzy = 7,
    kEffectEarthShake = 8,
    kEffectSnake = 9,
    kEffectGhost = 10,
    kEffectMove = 11,
    kEffectSpecialEffect = 12,
    kEffectLightning = 13,
    kEffectLensFlair = 14,
    kEffectCirclePath = 15,
    kEffectSnakeX = 16,
    kEffectParticleSysX = 17,
    kEffectParticleSysX2 = 18,
};
inline constexpr int32_t kEffectTypeCount = 19;

// One RGB565 word from red 0..31, green 0..63 and blue 0..31 (the engine's
// pack_rgb565 takes 8-bit channels).
constexpr uint16_t pack_channels565(int32_t red, int32_t green, int32_t blue) {
    return uint16_t((red << 11) | ((green << 5) & 0x7E0) | (blue & 0x1F));
}

// Far beyond any screen: what a coordinate from an effect file is held to.
inline constexpr int32_t kEffectCoordinateLimit = 1 << 20;

class EffectFile {
public:
    EffectFile();
    // Reads "effects\<name>.txt". False when it cannot be read: every key
    // then gives its default.
    bool load(std::string_view name);
    // The same from text (tests, fuzzing).
    bool parse(std::string_view name, std::string_view text);

    const std::string& name() const { return section_; }
    // "Type"; 1 (PIXELWAVE) when missing. May lie outside 0..18.
    int32_t type();
    int32_t get(const char* key, int32_t fallback);
    // A place, offset, radius or distance in pixels: kept within
    // +-kEffectCoordinateLimit, so that sums of a few of them stay in range.
    int32_t coordinate(const char* key, int32_t fallback);
    // A value the type divides by: at or below 0 it counts as 1.
    int32_t divisor(const char* key, int32_t fallback);
    std::string text(const char* key, const char* fallback);
    // Three keys of red, green and blue packed into one RGB565 word.
    uint16_t color(const char* red_key, const char* green_key, const char* blue_key, int32_t red,
                   int32_t green, int32_t blue);
    // Every "Place" line, in file order, each coordinate within
    // +-kEffectCoordinateLimit.
    std::vector<Point> places();

private:
    IniFile file_;
    std::string section_;
};

// "effects\<name>.txt".
std::u16string effect_file_path(std::string_view name);

// The random helpers the effect types share: a value in 0..range-1 from the
// runtime generator, 0 for a range at or below 0; and one in -half..half-1.
int32_t effect_random(int32_t range);
int32_t effect_random_offset(int32_t half);
