// Names of the files of a story folder.
#pragma once

#include <cstdint>
#include <string>

// Files of people, monsters and items are numbered by id % 15.
inline constexpr uint32_t kNumberedStoryFiles = 15;

// "<folder>/%02d.<extension>"
std::string numbered_story_file(const std::string& folder, uint32_t number, const char* extension);
// "<folder>/%08x.trg": the level id in lower-case hexadecimal.
std::string trigger_story_file(const std::string& folder, uint32_t level_id);
// "%08X.rgn": the region id in upper-case hexadecimal.
std::string region_file_name(uint32_t region_id);
