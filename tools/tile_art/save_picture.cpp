#include "tools/demo_bitmaps/bmp_file.h"
#include "tools/tile_art/canvas.h"

bool save_picture(const std::filesystem::path& root, const std::string& name, const Canvas& canvas, bool with_alpha) {
    BmpLayout layout;
    layout.width = canvas.width;
    layout.height = canvas.height;
    layout.bits = with_alpha ? 32 : 24;
    return save_bmp_file(root, name, layout, canvas.pixels);
}
