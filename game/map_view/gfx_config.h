// The game's graphics key file "gfx.ini": the two fonts the game writes with
// ("genfont" for talk texts, "bigfont") and the picture lists that people's
// sprites and combat backgrounds are chosen from.
#pragma once

#include <string>
#include <vector>

class IniFile;

struct GfxConfig {
    std::string genfont;  // font names as Font::load takes them ("genfont")
    std::string bigfont;
    // Names of pictures below "npc/"; the composition picks entries by index.
    std::vector<std::string> npc_premade;
    std::vector<std::string> npc_body;
    std::vector<std::string> npc_head;
    std::vector<std::string> npc_hair;
    std::vector<std::string> combat_backgrounds;

    // Reads the text of the file. Names must be quoted; an unquoted value
    // keeps its place in its list as an empty name (and is logged), so the
    // indexes of the names after it do not shift.
    static GfxConfig parse(const std::string& text);
    static GfxConfig from_ini(const IniFile& ini);
};

// "gfx.ini" through the game's file system; a missing file gives empty lists.
GfxConfig load_gfx_config();
