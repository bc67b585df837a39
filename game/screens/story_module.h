// The game's application object: the scene manager that owns the game scene
// and the story's World, with the player's settings.
#pragma once

#include "engine/core/scene_manager.h"
#include "game/screens/game_settings.h"
#include "game/world/world.h"

class StoryModule : public SceneManager {
public:
    StoryModule() = default;
    // Scenes first (they still look at the World as they leave), then the
    // World.
    ~StoryModule() override;

    World world;
    GameSettings settings;
    // Set when a saved game can be resumed: the exit then saves automatically.
    bool resumable = false;
};

extern StoryModule* g_app;
