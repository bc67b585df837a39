// The game's start-up and exit, plugged into the shell: the sound facade,
// the loading scene with its pictures, the story, the game scene and the
// sound settings; at exit the automatic save, the exit picture and the
// teardown in order.
#pragma once

#include <cstdint>

class Sprite;
class SpriteGroup;

struct GameStartupOptions {
    // Run the sound library on its silent output (headless runs).
    bool silent_sound = false;
};
GameStartupOptions& game_startup_options();

// The engine objects the game needs before its start-up: the file system,
// the two resource caches and the local text table.
void game_engine_objects_init();
void game_engine_objects_shutdown();

int game_startup();
int game_shutdown();

// The loading screen's "Version: 1.0" line, ending 5 pixels from the right
// edge of a display `display_width` wide; null when it renders nothing.
Sprite* add_version_line(SpriteGroup& group, int32_t display_width);
