// A program folder for tests that play a story of their own: the demo data
// (linked, not copied) with the test's story compiled in place of the
// demo's, the demo's tile parameters and the test's new-game state
// ("story.txt"). data.zip stays out, since it holds the demo story too.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "game/story/story_source.h"
#include "game/story/story_writer.h"
#include "game/world/world.h"

// Makes the folder "data" below `parent` and returns it; problems of the
// story are reported as test failures with `story_name` and the line.
inline std::string make_story_data(const std::string& parent, const std::string& story_name,
                                   const std::string& story_source, const std::string& start_config) {
    namespace fs = std::filesystem;
    const fs::path data = fs::path(parent) / "data";
    fs::create_directories(data / "Story");
    for (const fs::directory_entry& entry : fs::directory_iterator(NIMBREL_DEMO_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name != "Story" && name != "data.zip" && name != "savegame") fs::create_symlink(entry.path(), data / name);
    }
    fs::copy_file(fs::path(NIMBREL_DEMO_DATA_DIR) / "Story/tileparams.ini", data / "Story/tileparams.ini");
    std::ofstream(data / "Story/story.txt", std::ios::binary) << start_config;
    World world;
    StoryFolderPlan plan;
    std::vector<StorySourceError> errors = parse_story_source(story_source, world, plan);
    if (errors.empty()) errors = validate_story(world, plan);
    for (const StorySourceError& e : errors) ADD_FAILURE() << story_name << ":" << e.line << ": " << e.message;
    std::string error;
    EXPECT_TRUE(write_story_folder(world, plan, (data / "Story").string(), &error)) << error;
    return data.string();
}
