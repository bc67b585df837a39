// Where the program's files live. Game data is found relative to the program
// folder (the folder of the executable unless overridden); logs and reports
// go to the state folder (the program folder unless overridden), never to
// the file system root or the working directory.
#pragma once

#include <string>
#include <string_view>

// Takes the folder of /proc/self/exe.
void init_program_folder();
// Overrides the program folder (for tests, tools and the --data option).
void set_program_folder(std::u16string_view folder);
// The program folder with a trailing '/'.
const std::u16string& program_folder();

// An empty folder goes back to the program folder.
void set_state_folder(std::u16string_view folder);
// The state folder with a trailing '/'.
const std::u16string& state_folder();

// Turns a name into a host path. Names starting with '/' are host-absolute
// and come back unchanged; names starting with '\' ("\crash.txt") go to the
// state folder; any other name is taken relative to the program folder, below
// `folder` when one is given. Backslashes become '/'.
std::u16string resolve_path(std::u16string_view name, std::u16string_view folder = {});
