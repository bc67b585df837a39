#include "game/session/game_startup.h"

#include <cstdio>

#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/core/crt_random.h"
#include "engine/core/fatal_report.h"
#include "engine/core/string_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/local_text.h"
#include "engine/graphics/display.h"
#include "engine/graphics/fill_rect.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/font.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/platform/platform.h"
#include "game/map_view/full_screen_picture.h"
#include "game/map_view/tile_kinds.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/sound/sound_manager.h"

namespace {

constexpr int32_t kFullAlpha = 32;
constexpr uint32_t kExitHoldMs = 800;
// "Version: %s" with the version "1.0".
constexpr char16_t kVersionLine[] = u"Version: 1.0";
constexpr int32_t kVersionLineMaxWidth = 1000;
constexpr int32_t kVersionLineDepth = 100;

Display* g_display = nullptr;

void fade_picture(FullScreenPicture& picture, SpriteGroup& group, int32_t from, int32_t to, int32_t step) {
    for (int32_t alpha = from; step > 0 ? alpha <= to : alpha >= to; alpha += step) {
        picture.set_alpha(alpha);
        group.invalidate();
        render_frame();
    }
}

}  // namespace

// "Version: 1.0" in the font "version", 5 pixels from the top right corner.
Sprite* add_version_line(SpriteGroup& group, int32_t display_width) {
    Font font;
    font.load(u"version");
    Sprite* line = font.render_text(kVersionLine, kVersionLineMaxWidth, 0, 0, 0, 0, -1);
    font.release();
    if (line) group.add_sprite(line, display_width - 5 - line->frame_width, 5, kVersionLineDepth, 0, 0, 0);
    return line;
}

GameStartupOptions& game_startup_options() {
    static GameStartupOptions options;
    return options;
}

void game_engine_objects_init() {
    if (!g_file_system) g_file_system = new FileSystem;
    create_resource_caches();
    if (!g_local_text) g_local_text = new LocalText;
}

void game_engine_objects_shutdown() {
    delete g_local_text;
    g_local_text = nullptr;
    destroy_resource_caches();
    delete g_file_system;
    g_file_system = nullptr;
}

int game_startup() {
    g_sound_manager = new SoundManager(make_library_sound_backend(game_startup_options().silent_sound));
    string_pool_create();
    g_display = new Display;
    if (!g_display->open(&platform().display(), 1, kScreenSize.width, kScreenSize.height)) {
        fatal_assert(__FILE__, __LINE__, "Cannot open the display", "", "");
        return 0;
    }
    crt_srand(platform().tick_count());
    g_bitmap_cache->caching = 1;
    g_sprite_def_cache->caching = 1;

    // The loading scene lives only while the story loads.
    auto* load = new Scene(g_display, "Load");
    g_current_scene = load;
    Layer* layer = load->create_layer();
    auto* black = new FillRect;
    black->set_color(0);
    layer->add(black, 0);
    auto* group = new SpriteGroup;
    layer->add(group, 1);
    const Size display{g_display->width(), g_display->height()};
    add_version_line(*group, display.width);
    FullScreenPicture first(*group, u"load\\load1.spr", PictureRole::first_loading, display, 0, 1);
    fade_picture(first, *group, 0, kFullAlpha, 8);
    layer->remove(black);

    g_app = new StoryModule;
    g_app->world.end_program_on_broken_files();
    g_app->world.tile_change_drawable = tile_value_has_pictures;
    if (!g_app->world.load_story("Story")) {
        std::fprintf(stderr, "tarrowind: %s\n", g_app->world.last_error().c_str());
        fatal_missing_file(u"Story\\story.rpg");
        return 0;
    }
    g_app->add(new Game(g_display, kGameSceneName));

    const GameSettings settings = load_settings_file(settings_path());
    g_app->settings = settings;
    g_sound_manager->configure(settings.sound_quality, settings.music_volume * 64, settings.sound_volume * 64);

    // The first picture becomes an opaque backdrop for the second.
    if (Sprite* backdrop = first.picture()) {
        backdrop->set_alpha(kFullAlpha);
        backdrop->assign_flags(0);
    }
    FullScreenPicture second(*group, u"load\\load2.spr", PictureRole::second_loading, display, 1, 1);
    fade_picture(second, *group, 0, kFullAlpha, 8);

    first.remove();
    second.remove();
    layer->remove(group);
    delete load;
    g_current_scene = nullptr;
    purge_resource_caches();
    g_app->switch_to(kGameSceneName, 0);
    return 1;
}

int game_shutdown() {
    Scene* scene = g_current_scene;
    Layer* layer = scene ? scene->first_layer() : nullptr;
    if (Game* game = g_app ? g_app->game() : nullptr) game->save_for_resume();

    if (layer) {
        auto* group = new SpriteGroup;
        layer->add(group, 10000);
        FullScreenPicture picture(*group, u"load\\exit_full.spr", PictureRole::exit, layer->size(), 3, 1);
        fade_picture(picture, *group, 0, kFullAlpha, 4);
        platform().sleep_ms(kExitHoldMs);
        auto* black = new FillRect;
        black->set_color(0);
        layer->add(black, 9999);
        fade_picture(picture, *group, kFullAlpha, 0, -8);
        picture.remove();
        layer->remove(group);
        layer->remove(black);
    }

    delete g_app;  // shuts the scenes down first
    g_app = nullptr;
    g_current_scene = nullptr;
    purge_resource_caches();
    string_pool_destroy();  // after the story, whose records point into it
    delete g_display;
    g_display = nullptr;
    delete g_sound_manager;
    g_sound_manager = nullptr;
    return 1;
}
