// The readable source form of a story, turned into story records by the
// story compiler (tools/storyc). The format is described in
// data/story/README.md.
#pragma once

#include <string>
#include <vector>

#include "game/story/story_writer.h"

class World;

struct StorySourceError {
    int line = 0;  // 0: the story as a whole
    std::string message;
};

// Parses `text` into the lists of `world` (nothing is registered) and the
// file plan. Returns the errors found; empty means success.
std::vector<StorySourceError> parse_story_source(const std::string& text, World& world, StoryFolderPlan& plan);

// Checks what the loaders and the game rely on: ids unique and non-zero
// across every kind, references to existing records, sizes and grids that
// fit, topic keys the menu can split.
std::vector<StorySourceError> validate_story(const World& world, const StoryFolderPlan& plan);
