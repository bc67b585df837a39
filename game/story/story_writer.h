// Writes a story folder that `World::load_story` reads back: the counterpart
// of the loaders, used by the story compiler and by fixtures.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/world/trigger.h"

class World;

struct StoryFolderPlan {
    // The per-id files: people in "%02d.npc" (with triggers in the levels'
    // ".trg" files), monsters in "%02d.mon", item groups in "%02d.itm". The
    // lists so placed are left out of story.rpg.
    bool people_in_files = false;
    bool monsters_in_files = false;
    bool items_in_files = false;
    // Triggers of each level's ".trg" file, by level id (per-id mode).
    std::map<uint32_t, std::vector<std::shared_ptr<Trigger>>> level_triggers;
};

// Writes every file of the story into `folder` (which must exist). False,
// with the reason in `error`, when a file could not be written or a record
// does not fit the format.
bool write_story_folder(const World& world, const StoryFolderPlan& plan, const std::string& folder,
                        std::string* error);
