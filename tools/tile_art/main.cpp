// tile_art OUT_DIR
//
// Draws the demo story's map and people by code: the tile sheets of the
// ground, walls, trees and objects, the walking sheets of people and
// monsters, and the layers of the talking portraits.
#include <cstdio>

#include "tools/tile_art/art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tile_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const bool ok = draw_tiles(root) && draw_walk_sheets(root) && draw_faces(root);
    return ok ? 0 : 1;
}
