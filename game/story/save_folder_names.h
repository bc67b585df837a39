// The files of the save folder, named here and nowhere else:
//   autosave.gam  the game kept on leaving, continued at the next start
//   newgame.gam   the state of the freshly loaded story, a new game's start
//   save%d.dat    the games of the slots: 0..5 the player's, 6 the automatic save
//   io.ini        the slot index of the player's slots (and a copy of the seventh)
//   autoio.ini    the slot index of the automatic save
#pragma once

#include <string>

inline constexpr const char* kAutosaveFile = "autosave.gam";
inline constexpr const char* kNewGameFile = "newgame.gam";
inline constexpr const char* kSlotIndexFile = "io.ini";
inline constexpr const char* kAutoSlotIndexFile = "autoio.ini";

// "save3.dat" for slot 3.
inline std::string slot_file_name(int slot) { return "save" + std::to_string(slot) + ".dat"; }
