// A program folder of small tile sheets (one flat colour a frame) and a
// level to draw from them, for the renderer and view-cell tests.
#pragma once

#include <string>
#include <vector>

#include "game/world/map_level.h"
#include "tests/engine/pictures/graphics_files.h"

// Frame f of a sheet is filled with colour base + f (0xRRGGBB).
inline std::string frame_sheet(int32_t frame_size, int32_t frames, uint32_t base) {
    std::vector<uint32_t> pixels;
    for (int32_t f = 0; f < frames; ++f)
        pixels.insert(pixels.end(), size_t(frame_size) * size_t(frame_size), base + uint32_t(f));
    return bmp_file(frame_size, frame_size * frames, pixels);
}

class TileFilesTest : public GraphicsFilesTest {
protected:
    TileFilesTest() {
        write("tiles/background_0.bmp", frame_sheet(32, 3, 0x102000));
        write("tiles/background_1.bmp", frame_sheet(32, 3, 0x204000));
        write("tiles/tiles_0.bmp", frame_sheet(32, 4, 0x306000));
        write("tiles/tiledecors_0.bmp", frame_sheet(32, 2, 0x408000));
        write("tiles/shade_0.bmp", frame_sheet(32, 1, 0x808080));
        write("tiles/trees_0.bmp", frame_sheet(32, 4, 0x00A000));
        write("tiles/walls_0.bmp", frame_sheet(32, 4, 0x505050));
        write("tiles/walls16_0.bmp", frame_sheet(16, 15, 0x600000));
        write("tiles/walls16_1.bmp", frame_sheet(16, 15, 0x700000));
        write("tiles/objects_0.bmp", frame_sheet(32, 1, 0x0000A0));
        write("tiles/animobjects_0.bmp", frame_sheet(32, 8, 0xA00000));
    }

    // A level of w x h cells of background 1 (grass), with its grid.
    static MapLevel level(int32_t w, int32_t h, uint32_t id = 0x1101) {
        MapLevel l;
        l.id = id;
        l.width = w;
        l.height = h;
        TileCell grass;
        grass.background = 1;
        l.grid.assign(size_t(w) * size_t(h), grass);
        return l;
    }
};
