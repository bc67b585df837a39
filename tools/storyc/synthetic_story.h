// A large generated story for the loading benchmarks.
#pragma once

#include <cstdint>

#include "game/story/story_writer.h"

class World;

// `count` people, monsters and items, count / 20 levels (at least one) of
// 50 x 50 tiles in count / 100 + 1 maps, and four triggers a level; people
// and triggers in their per-id files, the rest in story.rpg.
void build_synthetic_story(uint32_t count, World& world, StoryFolderPlan& plan);
