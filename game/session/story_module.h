// The game's application object: the scene manager that owns the game scene
// and the story's World, with the player's settings and the game's key files.
#pragma once

#include "engine/app/scene_manager.h"
#include "engine/files/ini_file.h"
#include "game/map_view/gfx_config.h"
#include "game/session/game_settings.h"
#include "game/world/world.h"

class Game;

// The scene the whole game runs in, beside the loading scene.
inline constexpr const char* kGameSceneName = "Game";

class StoryModule : public SceneManager {
public:
    // Reads "gfx.ini" and "layout.ini" through the game's file system.
    StoryModule();
    // Scenes first (they still look at the World as they leave), then the
    // World.
    ~StoryModule() override;

    // The game scene, once the start-up added it; null before that and once
    // the scenes are shut down.
    Game* game() const;

    World world;
    GameSettings settings;
    // Fonts and picture lists of "gfx.ini".
    GfxConfig gfx;
    // "layout.ini" as it stands: the inventory and shop screens read their
    // grids from it (sections "inv" and "shop").
    IniFile layout;
    // Set when a saved game can be resumed: the exit then saves automatically.
    bool resumable = false;
};

extern StoryModule* g_app;
