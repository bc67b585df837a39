#include <cstdio>
#include <fstream>

#include "tools/demo_bitmaps/bmp_writer.h"
#include "tools/tile_art/canvas.h"

bool save_picture(const std::filesystem::path& root, const std::string& name, const Canvas& canvas, bool with_alpha) {
    BmpLayout layout;
    layout.width = canvas.width;
    layout.height = canvas.height;
    layout.bits = with_alpha ? 32 : 24;
    const std::vector<uint8_t> bytes = write_bmp(layout, canvas.pixels);
    const std::filesystem::path path = root / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "tile_art: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}
