#include "game/story/slot_index.h"

#include <algorithm>

#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "game/story/story_file_io.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr const char* kIndexHeader = "[savedata]\r\n";
// The longest index that lists no save: the header line (12 bytes) and at
// most a few stray bytes, never a whole slot line.
constexpr size_t kLongestIndexWithoutSaves = 15;

// A text as it goes between the double quotes of an index line.
std::string quoted_value(std::u16string_view text, IndexQuotes quotes) {
    std::string out = wide_to_narrow(text);
    if (quotes == IndexQuotes::kReplaced)
        for (char& c : out)
            if (c == '"') c = '\'';
    return out;
}

bool write_index_file(const World& world, const char* file, std::span<const SaveSlot> slots, IndexQuotes quotes) {
    const std::string text = slot_index_text(slots, quotes);
    return save_story_file(world.save_path(file), std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

SaveSlot parse_slot_line(std::string_view index_text, int instance, int slot) {
    IniFile index;
    index.parse(index_text);
    SaveSlot s;
    // The time is written as a signed number; the cast gives the unsigned
    // milliseconds back bit for bit.
    s.play_time = uint32_t(index.get_int(0, "data", "savedata", instance, 0));
    s.file = s.empty() ? kNewGameFile : slot_file_name(slot);
    s.place = index.get_wstring(u"", "data", "savedata", instance, 1);
    s.level_text = index.get_wstring(u"", "data", "savedata", instance, 2);
    s.difficulty = index.get_int(1, "data", "savedata", instance, 3);
    return s;
}

std::optional<std::string> read_slot_index(const World& world, const char* file) {
    const auto bytes = read_story_file(world.save_path(file));
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

bool slot_index_lists_saves(std::string_view index_text) { return index_text.size() > kLongestIndexWithoutSaves; }

SaveSlot slot_describing(const SavedGameSummary& game, int slot) {
    const bool automatic = slot == kAutoSlot;
    SaveSlot s;
    s.file = slot_file_name(slot);
    s.place = narrow_to_wide_signed(game.region);
    s.level_text = automatic ? u"Autosave!" : narrow_to_wide_signed("Level " + std::to_string(game.level_number));
    s.play_time = automatic ? game.play_time : std::max<uint32_t>(game.play_time, 1);
    s.difficulty = game.difficulty;
    return s;
}

std::optional<SaveSlot> slot_from_its_file(World& world, int slot) {
    const std::optional<SavedGameSummary> held = world.read_save_summary(world.save_path(slot_file_name(slot).c_str()));
    if (!held) return std::nullopt;
    return slot_describing(*held, slot);
}

SaveSlot slot_for_game_in_play(const World& world, int slot) {
    const HeroActor& hero = world.hero();
    SavedGameSummary game;
    game.region = hero.region_name();
    game.level_number = hero.level_number;
    game.play_time = world.play_time;
    game.difficulty = world.difficulty;
    return slot_describing(game, slot);
}

// A save renames its slot file into place before it rewrites the index; a
// kill between the two leaves the index line missing, or describing the
// game the file replaced. The file is what loads, so a slot whose file holds
// a save shows that save (in a consistent folder the two agree), and the
// index speaks only for slots whose file is gone or unreadable.
SlotList read_slots(World& world) {
    SlotList slots;
    const std::string index = read_slot_index(world, kSlotIndexFile).value_or("");
    for (int i = 0; i < kPlayerSlots; ++i) slots[size_t(i)] = parse_slot_line(index, i, i);
    slots[kAutoSlot] = parse_slot_line(read_slot_index(world, kAutoSlotIndexFile).value_or(""), 0, kAutoSlot);
    for (int i = 0; i < kSlotCount; ++i)
        if (std::optional<SaveSlot> held = slot_from_its_file(world, i)) slots[size_t(i)] = *held;
    return slots;
}

std::string slot_index_text(std::span<const SaveSlot> slots, IndexQuotes quotes) {
    std::string text = kIndexHeader;
    for (const SaveSlot& s : slots) {
        text += "data = " + std::to_string(int32_t(s.play_time)) + ", \"" + quoted_value(s.place, quotes) + "\", \"" +
                quoted_value(s.level_text, quotes) + "\", " + std::to_string(s.difficulty) + "\r\n";
    }
    return text;
}

bool write_slot_index(const World& world, std::span<const SaveSlot> slots) {
    return write_index_file(world, kSlotIndexFile, slots, IndexQuotes::kReplaced);
}

bool write_auto_slot_index(const World& world, const SaveSlot& slot) {
    return write_index_file(world, kAutoSlotIndexFile, std::span(&slot, 1), IndexQuotes::kKept);
}

std::u16string play_time_text(uint32_t ms) {
    char16_t text[32];
    format_duration(ms, text, 3);
    return text;
}

std::u16string slot_caption(const SaveSlot& slot) {
    static constexpr const char16_t* kDifficultyMarks[] = {u" / B", u" / N", u" / X"};
    // An empty slot's place, level and difficulty are left-overs of the
    // index line, not a game: the slot reads "Empty" alone.
    if (slot.empty()) return u"Empty";
    std::u16string caption = slot.place + u" / " + play_time_text(slot.play_time);
    caption += u" / " + slot.level_text;
    if (slot.difficulty >= 0 && slot.difficulty <= 2) caption += kDifficultyMarks[slot.difficulty];
    return caption;
}
