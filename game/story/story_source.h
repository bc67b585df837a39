// The readable source form of a story, turned into story records by the
// story compiler (tools/storyc). The format is described in
// data/story/README.md.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/story/story_writer.h"

class World;
struct Action;

struct StorySourceError {
    int line = 0;  // 0: no source line to name (a story built in memory)
    std::string message;
    // A warning tells of something the game survives but the author likely
    // did not mean; it does not stop the story from being written.
    bool warning = false;
};

// Where the parsed story stands in its source, so that a fault found once
// the whole story is read can name its line: the line of every record,
// topic, encounter, condition and action (by its address, which holds once
// parsing is done), and each action's code as the source spells it.
class StorySourceLines {
public:
    void note(const void* where, int line) { lines_[where] = line; }
    void note_code(const Action* action, std::string spelling) { codes_[action] = std::move(spelling); }
    // 0 when nothing was noted there.
    int line_of(const void* where) const;
    // The code as written, or in hexadecimal when it was not noted.
    std::string code_of(const Action& action) const;

    // The `story` statement's line (1 without one): faults of the story as a
    // whole are told there.
    int story_line = 1;

private:
    std::map<const void*, int> lines_;
    std::map<const Action*, std::string> codes_;
};

// Parses `text` into the lists of `world` (nothing is registered) and the
// file plan, noting where each part stands in `lines` when given. Returns
// the errors found; empty means success.
std::vector<StorySourceError> parse_story_source(const std::string& text, World& world, StoryFolderPlan& plan,
                                                 StorySourceLines* lines = nullptr);

// Checks what the loaders and the game rely on: ids unique and non-zero
// across every kind, references to existing records, sizes and grids that
// fit, topic keys the menu can split; with `lines`, each fault names its
// source line. Warnings come among the errors, marked as such.
std::vector<StorySourceError> validate_story(const World& world, const StoryFolderPlan& plan,
                                             const StorySourceLines* lines = nullptr);

// Both in turn: the parse's errors, or when there are none the checks'.
std::vector<StorySourceError> check_story_source(const std::string& text, World& world, StoryFolderPlan& plan);

// Whether any of them is an error rather than a warning.
bool has_errors(const std::vector<StorySourceError>& found);
