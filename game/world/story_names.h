// Display form of the names of regions, maps and levels.
#pragma once

#include <cstddef>
#include <string>

// Leading blanks skipped, the first letter of every word in upper case
// (ASCII letters only).
std::string story_display_name(const std::string& text);
