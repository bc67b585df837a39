#include "game/program/game_names.h"

ProgramNames game_names() { return {"Quenlo: Duskmarrow", "tarrowind", "tarrowind.lock"}; }
