// The save slots as the slot index lists them: "io.ini" in the save folder
// holds "[savedata]" and one line a slot,
//   data = <play time ms>, "<place>", "<level text>", <difficulty>
// for the six player slots; "autoio.ini" holds the same for the automatic
// save, the seventh slot. Both are written with CRLF line ends.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// One slot from the instance-th "data" line of section "savedata" of an
// index text; missing lines give an empty slot.
SaveSlot parse_slot_line(std::string_view index_text, int instance, int slot);
// Slots 0..5 from "io.ini", slot 6 from "autoio.ini" of the World's save
// folder; missing files give empty slots. A slot whose own file holds a
// save is described by that save instead (see slot_index.cpp).
SlotList read_slots(World& world);
// The index line a slot gets for a game: "Level %d" as level text (the
// automatic slot's reads "Autosave!"), and a play time of at least 1 in a
// player's slot, as 0 would mark it empty.
SaveSlot slot_describing(const SavedGameSummary& game, int slot);
// The slot as its own file ("save%d.dat") describes it, when the file holds
// a save of the World's story.
std::optional<SaveSlot> slot_from_its_file(World& world, int slot);

// The text of "io.ini" for all seven slots.
std::string slot_index_text(const SlotList& slots);
// Writes "io.ini" atomically; false (old file kept) on failure.
bool write_slot_index(const World& world, const SlotList& slots);

// "save3.dat" for slot 3.
std::string slot_file_name(int slot);
// 3725000 -> "01:02:05"; hours go on past 99.
std::u16string play_time_text(uint32_t ms);
// "Vale / 01:02:05 / Level 3 / N"; an empty slot reads "Empty" alone.
std::u16string slot_caption(const SaveSlot& slot);
