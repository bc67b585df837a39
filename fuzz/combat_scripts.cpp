// Fuzzes an action script and an effect script together through the action
// player: the input is the lines of action "fz", then a line "%%", then the
// lines of effect "fz". Whatever they say, the action must play without a
// fault, its effects may only touch the scene within their run, and once
// the action is gone every sprite is back in place and the effect layer is
// empty. Seeds: the demo's action scripts with each demo effect (built into
// ${NIMBREL_TEST_DATA_DIR}/corpus/combat_scripts).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "game/effects/action_player.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for the two scripts, seeing the demo's pictures.
const fs::path& scratch() {
    static const fs::path folder = [] {
        const fs::path dir = fs::temp_directory_path() / ("fuzz_combat_scripts_" + std::to_string(getpid()));
        fs::create_directories(dir / "actions");
        fs::create_directories(dir / "effects");
        for (const char* shared : {"gfx", "combat", "sprites", "pics"}) {
            const fs::path from = fs::path(NIMBREL_DEMO_DATA_DIR) / shared;
            std::error_code ignored;
            if (fs::exists(from)) fs::create_directory_symlink(from, dir / shared, ignored);
        }
        set_program_folder(utf8_to_utf16(dir.string()));
        g_file_system = new FileSystem;
        create_resource_caches();
        return dir;
    }();
    return folder;
}

void write(const fs::path& path, std::string_view header, std::string_view body) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header << body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& dir = scratch();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find("\n%%\n");
    write(dir / "actions" / "fz.txt", "[fz]\n", input.substr(0, split));
    write(dir / "effects" / "fz.txt", "[fz]\n", split == std::string_view::npos ? "" : input.substr(split + 4));

    SpriteGroup scene;
    scene.set_size(240, 200);
    Sprite* hero = scene.create_sprite(u"combat/monsters/player_base.spr", 170, 150, 10, 0, 0, 0);
    Sprite* monster = scene.create_sprite(u"combat/monsters/cbriarrat.spr", 40, 150, 10, 0, 0, 0);
    {
        ActionPlayer player(nullptr);
        const uint8_t choice = size > 0 ? data[size - 1] : 0;
        const int32_t flags = choice & 7;
        const bool anchored = choice & 8;
        player.load_action("fz", &scene, hero, monster, flags, 0, choice >> 5, anchored ? 60 : -1,
                           anchored ? 90 : -1);
        for (int frame = 0; frame < 1500 && player.running_count() > 0; ++frame) {
            player.update();
            if (frame % 300 == 299) player.end_looping_effects();
        }
        player.remove_action(0);
        if (player.effect_layer() && player.effect_layer()->sprites().count() != 0) std::abort();
    }
    // Every effect has put its sprites back.
    if (scene.sprites().count() != 2 || hero->x != 170 || hero->y != 150 || monster->x != 40 || monster->y != 150 ||
        hero->alpha != 32 || monster->alpha != 32)
        std::abort();
    return 0;
}
