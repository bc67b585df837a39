// combat_art OUT_DIR GLYPHS
//
// Draws, by code, every picture of the combat screen, the combat sprites of
// the hero and the demo monsters (the item icons are the item screens'). Frames are stacked top
// to bottom; magenta is the colour key.
#include <cstdio>

#include "tools/combat_art/art.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: combat_art OUT_DIR GLYPHS\n");
        return 2;
    }
    GlyphSet glyphs;
    if (!read_glyph_set(argv[2], glyphs)) {
        std::fprintf(stderr, "combat_art: cannot read the glyphs %s\n", argv[2]);
        return 1;
    }
    const std::filesystem::path out = argv[1];
    const bool ok = draw_hero_sprites(out) && draw_monster_sprites(out) && draw_screen_pictures(out, glyphs);
    return ok ? 0 : 1;
}
