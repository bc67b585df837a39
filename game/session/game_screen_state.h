// Base of the game's screens: a GameState bound, when entered, to the game
// scene, its World and the World's hero.
#pragma once

#include "engine/app/screen.h"

class Game;
class HeroActor;
class World;

class GameScreenState : public GameState {
public:
    // Every screen calls this first when it is entered.
    void bind_context();

    World* world = nullptr;
    HeroActor* hero = nullptr;
    Game* game = nullptr;
};
