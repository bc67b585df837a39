// What the menu screens ask of the shell: ending the program, and telling
// the player that something asked for failed (a message box with the
// window's caption, recorded by the headless back end, and a line on
// stderr). Kept apart because the shell's message header and the menus'
// event header both define pack_point.
#pragma once

#include <string>

void quit_program();
void show_failure_notice(const std::string& text);
