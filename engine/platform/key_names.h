// The PC keys the program understands and the device key codes they stand
// for. One table serves both the SDL back end (by SDL's key names) and input
// scripts (by our names).
#pragma once

#include <cstdint>
#include <string_view>

// Device key code for one of our names (UP, ENTER, F1, A, 7, ...), ignoring
// case; 0 when the name is unknown.
uint32_t key_code_from_name(std::string_view name);

// Device key code for a key as SDL names it ("Up", "Return", "Space", "A",
// ...), ignoring case; 0 for keys the program does not use.
uint32_t key_code_from_host_name(std::string_view host_name);
