#include "game/session/game_screen_state.h"

#include "game/session/game.h"
#include "game/session/story_module.h"

void GameScreenState::bind_context() {
    game = static_cast<Game*>(owner());
    auto* module = game ? static_cast<StoryModule*>(game->owner()) : nullptr;
    world = module ? &module->world : nullptr;
    hero = world ? &world->hero() : nullptr;
}
