// Display form of the names of regions, maps and levels.
#pragma once

#include <string>

// Leading spaces skipped, the first letter of every word in upper case and
// the other letters in lower case (ASCII letters only; words are separated
// by spaces).
std::string story_display_name(const std::string& text);
