// The save slots as the slot index lists them. An index file holds
// "[savedata]" and one line a slot,
//   data = <play time ms>, "<place>", "<level text>", <difficulty>
// with CRLF line ends: "io.ini" for all seven slots (the six player slots
// and a copy of the automatic save's), "autoio.ini" for the automatic save,
// the seventh slot, alone. This file is the one reader and writer of both.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "game/story/save_folder_names.h"
#include "game/story/saved_game_summary.h"

class World;

struct SaveSlot {
    std::string file;            // in the save folder: "save%d.dat", or "newgame.gam" while empty
    std::u16string place;        // region name
    std::u16string level_text;   // "Level %d"
    uint32_t play_time = 0;      // milliseconds; 0 marks an empty slot
    int32_t difficulty = 1;      // 0 easy, 1 normal, 2 hard
    bool empty() const { return play_time == 0; }
};

inline constexpr int kSlotCount = 7;
inline constexpr int kPlayerSlots = 6;  // slots 0..5 can be saved into
inline constexpr int kAutoSlot = 6;     // the automatic save, load only
using SlotList = std::array<SaveSlot, kSlotCount>;

// --- reading ---------------------------------------------------------------
// One slot from the instance-th "data" line of section "savedata" of an
// index text; missing lines give an empty slot.
SaveSlot parse_slot_line(std::string_view index_text, int instance, int slot);
// The text of an index file of the World's save folder; nothing when the
// file is missing.
std::optional<std::string> read_slot_index(const World& world, const char* file);
// Whether an index tells of saves: one of up to 15 bytes holds the header
// line ("[savedata]\r\n") and no slot line, and stands for none.
bool slot_index_lists_saves(std::string_view index_text);
// Slots 0..5 from "io.ini", slot 6 from "autoio.ini" of the World's save
// folder; missing files give empty slots. A slot whose own file holds a
// save is described by that save instead (see slot_index.cpp).
SlotList read_slots(World& world);

// --- describing games ------------------------------------------------------
// The index line a slot gets for a game: "Level %d" as level text (the
// automatic slot's reads "Autosave!"), and a play time of at least 1 in a
// player's slot, as 0 would mark it empty.
SaveSlot slot_describing(const SavedGameSummary& game, int slot);
// The slot as its own file ("save%d.dat") describes it, when the file holds
// a save of the World's story.
std::optional<SaveSlot> slot_from_its_file(World& world, int slot);
// The slot as the game in play fills it: the hero's region and level, the
// World's play time and difficulty.
SaveSlot slot_for_game_in_play(const World& world, int slot);

// --- writing ---------------------------------------------------------------
// How the texts of the lines are written. The player slots' index turns a
// double quote into an apostrophe, so that it cannot end the value early;
// the automatic slot's index keeps the text as it stands, as it always has.
enum class IndexQuotes { kReplaced, kKept };
// The text of an index listing `slots` in order (none: the header alone).
std::string slot_index_text(std::span<const SaveSlot> slots, IndexQuotes quotes = IndexQuotes::kReplaced);
// Writes "io.ini" for the slots atomically; false (old file kept) on failure.
bool write_slot_index(const World& world, std::span<const SaveSlot> slots);
// Writes "autoio.ini" for the automatic slot, the same way.
bool write_auto_slot_index(const World& world, const SaveSlot& slot);

// --- captions --------------------------------------------------------------
// 3725000 -> "01:02:05"; hours go on past 99.
std::u16string play_time_text(uint32_t ms);
// "Vale / 01:02:05 / Level 3 / N"; an empty slot reads "Empty" alone.
std::u16string slot_caption(const SaveSlot& slot);
