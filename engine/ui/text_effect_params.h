// The parameters of one text effect, a section of "texteffect\texteffects.ini":
// the effect flags and the timing of each part of the effect. Angles are in
// whole degrees, zooms in 1024 = 1.0, times in frames, alpha in 0..32. A key
// ending in _WAIT is the delay of the first letter, _FOLLOWUP the extra delay
// of each following letter, _REPEAT the number of cycles.
#pragma once

#include <cstdint>

class IniFile;

// Per-letter effect flags.
constexpr int32_t LETTER_ROTATE = 0x1;
constexpr int32_t LETTER_OUT_SHRINK = 0x2;
constexpr int32_t LETTER_ZOOM = 0x4;
constexpr int32_t LETTER_MOVE_SINUS = 0x10;
constexpr int32_t LETTER_MOVE_WALK = 0x20;
constexpr int32_t LETTER_MOVE_FLY = 0x40;
constexpr int32_t LETTER_MOVE_COLLECT = 0x80;
constexpr int32_t LETTER_MOVE_THROW = 0x100;
constexpr int32_t LETTER_MOVE_PARABOLIC = 0x200;
constexpr int32_t LETTER_PIXEL_DISORT = 0x400;
constexpr int32_t LETTER_PIXEL_SINUS = 0x800;
constexpr int32_t LETTER_ALPHA_FADEINOUT = 0x1000;
constexpr int32_t LETTER_DRAW_TYPEWRITER = 0x2000;
constexpr int32_t LETTER_SHRINK = 0x4000;
constexpr int32_t LETTER_MOVE_MASK = 0x3F0;

// Whole-text mode: one sprite for the text. Its low bits read as below.
constexpr int32_t TEXT_MODE = 0x8000;
constexpr int32_t TEXT_ROTATE = 0x8001;
constexpr int32_t TEXT_ZOOM = 0x8002;
constexpr int32_t TEXT_MOVE_SINUS = 0x8004;
constexpr int32_t TEXT_MOVE_WALK = 0x8008;
constexpr int32_t TEXT_MOVE_FLY = 0x8010;
constexpr int32_t TEXT_MOVE_PARABOLIC = 0x8020;
constexpr int32_t TEXT_ALPHA_FADEINOUT = 0x8040;
constexpr int32_t TEXT_SHRINK = 0x8080;
constexpr int32_t TEXT_WAIT = 0x8008;  // a phase that changes nothing

struct TextEffectParams {
    int32_t effect = -1;  // flags; -1 (every flag, whole text) when the key is missing
    int32_t alpha_speed = 2, alpha_step = 1, alpha_repeat = 1, alpha_followup = 0, alpha_wait = 0;
    int32_t sinus_wavemax = 10, sinus_wavespeed = 3;
    int32_t move_wait = 20, move_followup = 5, move_repeat = 1, move_reversedir = 0;
    int32_t pixel_wait = 0, pixel_followup = 0, pixel_repeat = 1;
    int32_t pix_wave_max = 8, pix_wave_freq = 20, pix_wave_speed = 30;
    int32_t echo_wait = 10, echo_decalpha = 8, echo_number = 0;
    int32_t fly_speed = 2, fly_dir = 0;
    int32_t rotation_step = 20, rotation_followup = 0, rotation_wait = 50, rotation_repeat = 1;
    int32_t zoom_step = 80, zoom_max = 3072, zoom_min = 1024, zoom_stop = 1024, zoom_followup = 0;
    int32_t zoom_wait = 50, zoom_recalculatepos = 0, zoom_repeat = 1;
    int32_t typewriter_speed = 4;
    int32_t parabolic_radiusdec = 2, parabolic_radiusstep = 10, parabolic_radiusmax = 300;
    int32_t parabolic_radiusmin = 0, parabolic_radiusrnd = 50, parabolic_startmiddle = 0;
    int32_t parabolic_fall = 1, parabolic_horizontal = 0;

    bool whole_text() const { return (effect & TEXT_MODE) != 0; }
    bool waits() const { return (effect & TEXT_WAIT) == TEXT_WAIT; }
    bool has(int32_t flag) const { return (effect & flag) == flag; }
};

// The symbols the "effect" key may OR together (case-sensitive; unknown
// names are 0). Attach before loading the document.
void attach_text_effect_symbols(IniFile& ini);

// The named section's parameters. "none" is no effect (flags 0) without a
// lookup; a missing section or key keeps its default. Speeds and waits
// that count frames by division become at least 1.
TextEffectParams load_text_effect(IniFile& ini, const char* name);
