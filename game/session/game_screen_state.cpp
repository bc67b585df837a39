#include "game/screens/game_screen_state.h"

#include "game/screens/game.h"
#include "game/screens/story_module.h"

void GameScreenState::bind_context() {
    game = static_cast<Game*>(owner());
    auto* module = game ? static_cast<StoryModule*>(game->owner()) : nullptr;
    world = module ? &module->world : nullptr;
    hero = world ? &world->hero() : nullptr;
}
