// The names this game goes by: its window's caption, the program's name and
// its lock file. The program gives them to the engine before anything else,
// so that every window, notice, usage text and lock bears them.
#pragma once

#include "engine/core/program_names.h"

ProgramNames game_names();
