// The names the program on this engine goes by. The engine shows or writes
// them (the window's caption, the usage text, the single-instance lock) but
// does not choose them: the program gives its own at start-up, before the
// engine uses any. Until then the engine goes by its own name.
#pragma once

#include <string>

struct ProgramNames {
    std::string caption;    // the window's caption and that of every notice
    std::string program;    // the file name: the usage line, the prefix of messages on stderr
    std::string lock_file;  // the single-instance lock, in the state folder
};

void set_program_names(ProgramNames names);
const ProgramNames& program_names();
