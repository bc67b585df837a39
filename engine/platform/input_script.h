// Scripts of timed user input for unattended runs (--input FILE), one event
// a line:
//   <ms> key down|up <KEY>        KEY: a PC key name or a device key code
//   <ms> pen down|move|up <x> <y> screen pixels
//   <ms> focus lost|gained
//   <ms> close
// Times are program milliseconds and may not go backwards. Blank lines and
// lines starting with '#' are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, PenDown, PenMove, PenUp, FocusLost, FocusGained, Close };
    uint32_t at_ms = 0;
    Kind kind = Kind::Close;
    uint32_t key_code = 0;  // key events
    int32_t x = 0, y = 0;   // pen events

    friend bool operator==(const ScriptEvent&, const ScriptEvent&) = default;
};

struct ParsedScript {
    std::vector<ScriptEvent> events;
    std::string error;  // "line N: ..." for the first bad line; empty when good
    bool ok() const { return error.empty(); }
};

ParsedScript parse_input_script(std::string_view text);
// Reads and parses a script file; a file that cannot be read is an error.
ParsedScript load_input_script(const std::string& path);
