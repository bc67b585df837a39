#include "game/map_view/gfx_config.h"

#include <cstdio>

#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"

namespace {

constexpr const char* kFonts = "fonts";
constexpr const char* kBitmaps = "bitmaps";

std::vector<std::string> name_list(const IniFile& ini, const char* key) {
    std::vector<std::string> names;
    const IniKey* line = ini.find_key(kBitmaps, 0, key);
    if (!line) return names;
    for (const IniValue& value : line->values) {
        if (value.type != kIniString)
            std::fprintf(stderr, "tarrowind: gfx.ini: a name of \"%s\" is not quoted; it is left empty\n", key);
        names.push_back(value.type == kIniString ? value.text : std::string());
    }
    return names;
}

std::string font_name(const IniFile& ini, const char* key) {
    const IniValue* value = ini.find_value(kFonts, 0, key, 0);
    return value && value->type == kIniString ? value->text : std::string();
}

}  // namespace

GfxConfig GfxConfig::parse(const std::string& text) {
    IniFile ini;
    ini.parse(text);
    return from_ini(ini);
}

GfxConfig GfxConfig::from_ini(const IniFile& ini) {
    GfxConfig c;
    c.genfont = font_name(ini, "genfont");
    c.bigfont = font_name(ini, "bigfont");
    c.npc_premade = name_list(ini, "npcpremade");
    c.npc_body = name_list(ini, "npcbody");
    c.npc_head = name_list(ini, "npchead");
    c.npc_hair = name_list(ini, "npchair");
    c.combat_backgrounds = name_list(ini, "combatbg");
    return c;
}

GfxConfig load_gfx_config() {
    IniFile ini;
    if (g_file_system && !ini.load(u"gfx.ini"))
        std::fprintf(stderr, "tarrowind: gfx.ini is missing; no fonts or people pictures are named\n");
    return GfxConfig::from_ini(ini);
}
