// Where the game writes its files (settings, saves, logs): the program
// folder when it is writable, else a folder of its own in the user's data
// home ($XDG_DATA_HOME/tarrowind, or ~/.local/share/tarrowind).
#pragma once

#include <string>

// Makes the folder and any missing parents; true when it exists afterwards.
bool make_folder_with_parents(const std::string& path);
// Makes the state folder and its save folder "savegame" when missing.
// Empty when the game can write into both, else what stands in the way.
std::string prepare_state_folder(const std::string& folder);
// The folder for a program folder; creates the per-user one when needed.
std::string choose_write_folder(const std::string& program_folder);
// A file in the engine's state folder, which start-up sets to the write
// folder.
std::string write_folder_path(const std::string& name);
