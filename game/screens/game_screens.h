// The factory of the game's screens: one place that knows which class
// serves each of the fourteen screen names.
#pragma once

#include <string_view>

class GameScreenState;

// A new screen for `name`; names whose screen is still to be written get a
// PendingScreenState, which is entered and left and does nothing else.
GameScreenState* create_game_screen(std::string_view name);
