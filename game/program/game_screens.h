// The factory of the game's screens: one place that knows which class
// serves each of the fourteen screen names.
#pragma once

#include <string_view>

class GameScreenState;

// A new screen for `name`; nullptr for a name that is not a screen of the game.
GameScreenState* create_game_screen(std::string_view name);

// Hands create_game_screen to the session, which makes the screens when the
// game scene is made; whatever starts the game calls this first.
void install_game_screens();
