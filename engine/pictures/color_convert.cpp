#include "engine/pictures/color_convert.h"

#include <algorithm>

ColorCorrection g_color_correction;

uint32_t with_default_format(uint32_t flags) {
    return (flags & load_flag::kFormatBits) ? flags : flags | load_flag::kOutput565;
}

namespace {

bool is_near_key(int r, int g, int b) { return r >= 248 && g < 9 && b >= 248; }

int correct_channel(int c, const ColorCorrection& cc) {
    // Integer division truncates toward zero, as the correction always has.
    int v = ((c - 128) * cc.contrast) / 128 + 128;
    if (cc.brightness != 128) v += cc.brightness - 128;
    return std::clamp(v, 0, 255);
}

}  // namespace

uint16_t convert_color(uint32_t flags, uint8_t red, uint8_t green, uint8_t blue) {
    int r = red, g = green, b = blue;
    if (flags & load_flag::kInvert) {
        r = 255 - r;
        g = 255 - g;
        b = 255 - b;
    }
    if (flags & load_flag::kNoRed) r = 0;
    if (flags & load_flag::kNoGreen) g = 0;
    if (flags & load_flag::kNoBlue) b = 0;
    if (flags & load_flag::kGrayscale) r = g = b = (r + 2 * g + b) >> 2;

    const ColorCorrection& cc = g_color_correction;
    if ((flags & load_flag::kColorCorrect) && (cc.contrast != 128 || cc.brightness != 128) &&
        !is_near_key(r, g, b)) {
        r = correct_channel(r, cc);
        g = correct_channel(g, cc);
        b = correct_channel(b, cc);
    }

    if (flags & load_flag::kOutput444) return uint16_t(((r & 0xF0) << 4) | (g & 0xF0) | (b >> 4));
    if (flags & load_flag::kOutput555)
        return uint16_t(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    if (flags & load_flag::kOutput565) return pack_rgb565(r, g, b);
    return 0;
}
