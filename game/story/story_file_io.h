// Whole-file reads and writes of story files and save games. The story code
// reaches the disk only through these two functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::vector<uint8_t>> read_story_file(const std::string& path);

// Writes a file in one piece: a temporary file in the same folder is written,
// flushed and renamed over the target, so a failure leaves the old file
// intact. Returns false on any failure, with errno saying why.
bool save_story_file(const std::string& path, const std::vector<uint8_t>& bytes);
// Why the save_story_file that just returned false failed, in words ("No
// space left on device"); asked before anything else can change errno.
std::string save_failure_reason();
