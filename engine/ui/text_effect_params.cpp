#include "engine/ui/text_effect_params.h"

#include <cstring>

#include "engine/files/ini_file.h"

namespace {

IniSymbol g_effect_symbols[] = {
    {"LETTER_ROTATE", LETTER_ROTATE, 0xFFFFFFFF},
    {"LETTER_OUT_SHRINK", LETTER_OUT_SHRINK, 0xFFFFFFFF},
    {"LETTER_ZOOM", LETTER_ZOOM, 0xFFFFFFFF},
    {"LETTER_MOVE_SINUS", LETTER_MOVE_SINUS, 0xFFFFFFFF},
    {"LETTER_MOVE_WALK", LETTER_MOVE_WALK, 0xFFFFFFFF},
    {"LETTER_MOVE_FLY", LETTER_MOVE_FLY, 0xFFFFFFFF},
    {"LETTER_MOVE_COLLECT", LETTER_MOVE_COLLECT, 0xFFFFFFFF},
    {"LETTER_MOVE_THROW", LETTER_MOVE_THROW, 0xFFFFFFFF},
    {"LETTER_MOVE_PARABOLIC", LETTER_MOVE_PARABOLIC, 0xFFFFFFFF},
    {"LETTER_PIXEL_DISORT", LETTER_PIXEL_DISORT, 0xFFFFFFFF},
    {"LETTER_PIXEL_SINUS", LETTER_PIXEL_SINUS, 0xFFFFFFFF},
    {"LETTER_ALPHA_FADEINOUT", LETTER_ALPHA_FADEINOUT, 0xFFFFFFFF},
    {"LETTER_DRAW_TYPEWRITER", LETTER_DRAW_TYPEWRITER, 0xFFFFFFFF},
    {"LETTER_SHRINK", LETTER_SHRINK, 0xFFFFFFFF},
    {"TEXT_ROTATE", TEXT_ROTATE, 0xFFFFFFFF},
    {"TEXT_ZOOM", TEXT_ZOOM, 0xFFFFFFFF},
    {"TEXT_MOVE_SINUS", TEXT_MOVE_SINUS, 0xFFFFFFFF},
    {"TEXT_MOVE_WALK", TEXT_MOVE_WALK, 0xFFFFFFFF},
    {"TEXT_MOVE_FLY", TEXT_MOVE_FLY, 0xFFFFFFFF},
    {"TEXT_MOVE_PARABOLIC", TEXT_MOVE_PARABOLIC, 0xFFFFFFFF},
    {"TEXT_ALPHA_FADEINOUT", TEXT_ALPHA_FADEINOUT, 0xFFFFFFFF},
    {"TEXT_SHRINK", TEXT_SHRINK, 0xFFFFFFFF},
    {"WAIT", TEXT_WAIT, 0xFFFFFFFF},
    {nullptr, 0, 0},
};

struct ParamKey {
    const char* key;
    int32_t TextEffectParams::*field;
};

constexpr ParamKey kKeys[] = {
    {"effect", &TextEffectParams::effect},
    {"ALPHA_SPEED", &TextEffectParams::alpha_speed},
    {"ALPHA_STEP", &TextEffectParams::alpha_step},
    {"ALPHA_REPEAT", &TextEffectParams::alpha_repeat},
    {"ALPHA_FOLLOWUP", &TextEffectParams::alpha_followup},
    {"ALPHA_WAIT", &TextEffectParams::alpha_wait},
    {"SINUS_WAVEMAX", &TextEffectParams::sinus_wavemax},
    {"SINUS_WAVESPEED", &TextEffectParams::sinus_wavespeed},
    {"MOVE_WAIT", &TextEffectParams::move_wait},
    {"MOVE_FOLLOWUP", &TextEffectParams::move_followup},
    {"MOVE_REPEAT", &TextEffectParams::move_repeat},
    {"MOVE_REVERSEDIR", &TextEffectParams::move_reversedir},
    {"PIXEL_WAIT", &TextEffectParams::pixel_wait},
    {"PIXEL_FOLLOWUP", &TextEffectParams::pixel_followup},
    {"PIXEL_REPEAT", &TextEffectParams::pixel_repeat},
    {"PIX_WAVE_MAX", &TextEffectParams::pix_wave_max},
    {"PIX_WAVE_FREQ", &TextEffectParams::pix_wave_freq},
    {"PIX_WAVE_SPEED", &TextEffectParams::pix_wave_speed},
    {"ECHO_WAIT", &TextEffectParams::echo_wait},
    {"ECHO_DECALPHA", &TextEffectParams::echo_decalpha},
    {"ECHO_NUMBER", &TextEffectParams::echo_number},
    {"FLY_SPEED", &TextEffectParams::fly_speed},
    {"FLY_DIR", &TextEffectParams::fly_dir},
    {"ROTATION_STEP", &TextEffectParams::rotation_step},
    {"ROTATION_FOLLOWUP", &TextEffectParams::rotation_followup},
    {"ROTATION_WAIT", &TextEffectParams::rotation_wait},
    {"ROTATION_REPEAT", &TextEffectParams::rotation_repeat},
    {"ZOOM_STEP", &TextEffectParams::zoom_step},
    {"ZOOM_MAX", &TextEffectParams::zoom_max},
    {"ZOOM_MIN", &TextEffectParams::zoom_min},
    {"ZOOM_STOP", &TextEffectParams::zoom_stop},
    {"ZOOM_FOLLOWUP", &TextEffectParams::zoom_followup},
    {"ZOOM_WAIT", &TextEffectParams::zoom_wait},
    {"ZOOM_RECALCULATEPOS", &TextEffectParams::zoom_recalculatepos},
    {"ZOOM_REPEAT", &TextEffectParams::zoom_repeat},
    {"TYPEWRITER_SPEED", &TextEffectParams::typewriter_speed},
    {"PARABOLIC_RADIUSDEC", &TextEffectParams::parabolic_radiusdec},
    {"PARABOLIC_RADIUSSTEP", &TextEffectParams::parabolic_radiusstep},
    {"PARABOLIC_RADIUSMAX", &TextEffectParams::parabolic_radiusmax},
    {"PARABOLIC_RADIUSMIN", &TextEffectParams::parabolic_radiusmin},
    {"PARABOLIC_RADIUSRND", &TextEffectParams::parabolic_radiusrnd},
    {"PARABOLIC_STARTMIDDLE", &TextEffectParams::parabolic_startmiddle},
    {"PARABOLIC_FALL", &TextEffectParams::parabolic_fall},
    {"PARABOLIC_HORIZONTAL", &TextEffectParams::parabolic_horizontal},
};

}  // namespace

void attach_text_effect_symbols(IniFile& ini) { ini.set_symbol_table(g_effect_symbols); }

TextEffectParams load_text_effect(IniFile& ini, const char* name) {
    TextEffectParams params;
    if (!name || std::strcmp(name, "none") == 0) {
        params.effect = 0;
        return params;
    }
    for (const ParamKey& k : kKeys) params.*k.field = ini.get_int(params.*k.field, k.key, name);
    if (params.alpha_speed < 1) params.alpha_speed = 1;
    if (params.echo_wait < 1) params.echo_wait = 1;
    return params;
}
