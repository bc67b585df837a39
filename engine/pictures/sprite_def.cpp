#include "engine/pictures/sprite_def.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/color_convert.h"
#include "engine/pictures/sprite_flags.h"

namespace {

// The symbols of every ".spr" document. The bitmap load flags share the
// table, so "FLIPHORZ" has the value of TRANS_COLOR: data must not use it in
// DefFlags.
IniSymbol g_sprite_symbols[] = {
    {"ALPHA_NONE", int32_t(ALPHA_NONE), 0xFFFFFFFF},
    {"ALPHA_LAYER", int32_t(ALPHA_LAYER), 0xFFFFFFFF},
    {"ALPHA_PIXEL", int32_t(ALPHA_PIXEL), 0xFFFFFFFF},
    {"ALPHA_SEMI", int32_t(ALPHA_SEMI), 0xFFFFFFFF},
    {"ALPHA_AUTO", int32_t(ALPHA_AUTO), 0xFFFFFFFF},
    {"TRANS_NONE", int32_t(TRANS_NONE), 0xFFFFFFFF},
    {"TRANS_COLOR", int32_t(TRANS_COLOR), 0xFFFFFFFF},
    {"RZ_NONE", int32_t(RZ_NONE), 0xFFFFFFFF},
    {"RZ_ZOOMED", int32_t(RZ_ZOOMED), 0xFFFFFFFF},
    {"RZ_ROTOZOOMED", int32_t(RZ_ROTOZOOMED), 0xFFFFFFFF},
    {"RZ_HQZOOMED", int32_t(RZ_HQZOOMED), 0xFFFFFFFF},
    {"BLT_NORMAL", int32_t(BLT_NORMAL), 0xFFFFFFFF},
    {"BLT_LIGHTEN", int32_t(BLT_LIGHTEN), 0xFFFFFFFF},
    {"BLT_DYNAMIC", int32_t(BLT_DYNAMIC), 0xFFFFFFFF},
    {"BLT_DARKEN", int32_t(BLT_DARKEN), 0xFFFFFFFF},
    {"FLIP_NONE", int32_t(FLIP_NONE), 0xFFFFFFFF},
    {"FLIP_HORIZONTAL", int32_t(FLIP_HORIZONTAL), 0xFFFFFFFF},
    {"FLIP_VERTICAL", int32_t(FLIP_VERTICAL), 0xFFFFFFFF},
    {"FLIP_BOTH", int32_t(FLIP_BOTH), 0xFFFFFFFF},
    {"ROTATE_NONE", int32_t(ROTATE_NONE), 0xFFFFFFFF},
    {"ROTATE_90", int32_t(ROTATE_90), 0xFFFFFFFF},
    {"ROTATE_180", int32_t(ROTATE_180), 0xFFFFFFFF},
    {"ROTATE_270", int32_t(ROTATE_270), 0xFFFFFFFF},
    {"GRAB_TOP", int32_t(GRAB_TOPLEFT), 0xFFFFFFFF},
    {"GRAB_LEFT", int32_t(GRAB_TOPLEFT), 0xFFFFFFFF},
    {"GRAB_TOPLEFT", int32_t(GRAB_TOPLEFT), 0xFFFFFFFF},
    {"GRAB_BOTTOM", int32_t(GRAB_BOTTOM), 0xFFFFFFFF},
    {"GRAB_RIGHT", int32_t(GRAB_RIGHT), 0xFFFFFFFF},
    {"GRAB_HCENTER", int32_t(GRAB_HCENTER), 0xFFFFFFFF},
    {"GRAB_VCENTER", int32_t(GRAB_VCENTER), 0xFFFFFFFF},
    {"GRAB_CENTER", int32_t(GRAB_CENTER), 0xFFFFFFFF},
    {"INVISIBLE", int32_t(INVISIBLE), 0xFFFFFFFF},
    {"COLORCORRECT", 0x200000, 0xFFFFFFFF},
    {"GRAYSCALE", 0x10000, 0xFFFFFFFF},
    {"FLIPHORZ", 0x10, 0xFFFFFFFF},
    {"FLIPVERT", 0x20, 0xFFFFFFFF},
    {nullptr, 0, 0},
};

constexpr uint32_t kColorCorrect = 0x200000;

std::string letters(IniFile& ini, int32_t instance, int32_t index) {
    const char* text = ini.get_string(nullptr, "Animation", nullptr, instance, index);
    return text ? std::string(text) : std::string();
}

}  // namespace

int32_t sprite_flag_value(std::string_view name) {
    for (const IniSymbol* s = g_sprite_symbols; s->name; ++s)
        if (name == s->name) return s->value;
    return 0;
}

SpriteDef::~SpriteDef() {
    if (bitmap && g_bitmap_cache) g_bitmap_cache->release(bitmap);
}

SpriteDef* SpriteDef::parse(std::u16string_view, std::string_view text, int picture_must_exist, std::string& error) {
    IniFile ini;
    ini.set_symbol_table(g_sprite_symbols);
    ini.parse(text);

    int32_t alpha = std::clamp(ini.get_int(32, "DefAlpha", nullptr), 0, 32);
    uint32_t flags = uint32_t(ini.get_int(0, "DefFlags", nullptr));
    int32_t phase = ini.get_int(0, "DefPhase", nullptr);
    int32_t rotation = ini.get_int(0, "DefRotate", nullptr);
    int32_t zoom = ini.get_int(1024, "DefZoom", nullptr);
    int32_t stripes = ini.get_int(0, "Stripes", nullptr);
    uint32_t bitmap_flags = uint32_t(ini.get_int(0, "bmpflags", nullptr));
    const char* bitmap_name = ini.get_string(nullptr, "bmp", nullptr);
    if (!bitmap_name || !*bitmap_name) {
        error = "no \"bmp\" picture named";
        return nullptr;
    }
    // Lightening and darkening sprites add their colours as they stand.
    if (!(flags & (BLT_LIGHTEN | BLT_DARKEN))) bitmap_flags |= kColorCorrect;
    Bitmap* picture =
        g_bitmap_cache ? g_bitmap_cache->get(narrow_to_wide(bitmap_name), bitmap_flags, picture_must_exist) : nullptr;
    if (!picture) {
        error = std::string("picture \"") + bitmap_name + "\" cannot be loaded";
        return nullptr;
    }

    auto* def = new SpriteDef;
    def->bitmap = picture;
    def->default_alpha = uint8_t(alpha);
    def->default_flags = picture->has_alpha() ? flags : flags & ~ALPHA_PIXEL;
    def->default_phase = phase;
    def->default_rotation = rotation;
    def->default_zoom = zoom;
    // A frame taller than the picture would leave no whole frame.
    def->frame_height = std::clamp(stripes, 0, picture->height);
    for (int32_t i = 0; ini.find_key(nullptr, i, "Animation"); ++i) {
        AnimationRecord a;
        const char* name = ini.get_string(nullptr, "Animation", nullptr, i, 0);
        a.name = name ? name : "";
        a.delay = ini.get_int(1, "Animation", nullptr, i, 1);
        a.start = letters(ini, i, 2);
        a.loop = letters(ini, i, 3);
        a.end = letters(ini, i, 4);
        def->animations.push_back(std::move(a));
    }
    return def;
}

SpriteDef* SpriteDef::copy() const {
    auto* def = new SpriteDef;
    def->bitmap = bitmap;
    if (g_bitmap_cache) g_bitmap_cache->add_ref(bitmap);
    def->animations = animations;
    def->frame_height = frame_height;
    def->default_alpha = default_alpha;
    def->default_flags = default_flags;
    def->default_rotation = default_rotation;
    def->default_zoom = default_zoom;
    def->default_phase = default_phase;
    return def;
}

int32_t SpriteDef::frame_count() const {
    if (!bitmap || frame_height <= 0) return 1;
    return std::max(1, bitmap->height / frame_height);
}

int32_t SpriteDef::find_animation(std::string_view name) const {
    for (size_t i = 0; i < animations.size(); ++i)
        if (equals_ignore_case(animations[i].name, name)) return int32_t(i);
    return -1;
}
