#include "game/session/story_module.h"

#include "engine/platform/platform.h"
#include "game/session/game.h"

StoryModule* g_app = nullptr;

StoryModule::StoryModule() : gfx(load_gfx_config()) {
    // The story's generator starts from the platform's clock, like the
    // game's own: the virtual clock when headless, so a run repeats itself.
    world.set_random_seed(platform().tick_count());
    layout.load(u"layout.ini");
}

StoryModule::~StoryModule() { shutdown(); }

Game* StoryModule::game() const { return static_cast<Game*>(find(kGameSceneName)); }
