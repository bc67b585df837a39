#include "game/story/slot_index.h"

#include <gtest/gtest.h>

namespace {

TEST(SlotIndex, CaptionsShowPlaceTimeLevelAndDifficulty) {
    SaveSlot slot;
    slot.place = u"Vale";
    slot.level_text = u"Level 3";
    slot.play_time = 3725000;
    slot.difficulty = 1;
    EXPECT_EQ(slot_caption(slot), u"Vale / 01:02:05 / Level 3 / N");
    slot.difficulty = 0;
    EXPECT_EQ(slot_caption(slot), u"Vale / 01:02:05 / Level 3 / B");
    slot.difficulty = 2;
    slot.play_time = 0;
    EXPECT_TRUE(slot.empty());
    EXPECT_EQ(slot_caption(slot), u"Empty");
    // Hours go on past two digits; the top bit is a time like any other.
    EXPECT_EQ(play_time_text(0x80000000u), u"596:31:23");
}

TEST(SlotIndex, LinesReadBackAsWrittenWithTheTimeUnsigned) {
    SlotList slots;
    slots[3].place = u"Copper \"Kettle\"";
    slots[3].level_text = u"Level 12";
    slots[3].play_time = 0x80000005u;
    slots[3].difficulty = 2;
    const std::string text = slot_index_text(slots);
    EXPECT_EQ(text.substr(0, 12), "[savedata]\r\n");
    EXPECT_NE(text.find("data = -2147483643, \"Copper 'Kettle'\", \"Level 12\", 2\r\n"), std::string::npos) << text;
    const SaveSlot back = parse_slot_line(text, 3, 3);
    EXPECT_EQ(back.play_time, 0x80000005u);
    EXPECT_EQ(back.place, u"Copper 'Kettle'");
    EXPECT_EQ(back.level_text, u"Level 12");
    EXPECT_EQ(back.difficulty, 2);
    EXPECT_EQ(back.file, "save3.dat");
    const SaveSlot empty = parse_slot_line(text, 0, 0);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.file, "newgame.gam");
    // A short or damaged index gives empty slots, never a crash.
    EXPECT_TRUE(parse_slot_line("[savedata]\r\ndata = ", 0, 0).empty());
    EXPECT_TRUE(parse_slot_line("", 5, 5).empty());
}

// io.ini and autoio.ini are written by the same function; only the player
// slots' index turns quotes into apostrophes.
TEST(SlotIndex, BothIndexFormsComeFromOneWriter) {
    SaveSlot slot;
    slot.place = u"Copper \"Kettle\"";
    slot.level_text = u"Autosave!";
    slot.play_time = 42;
    slot.difficulty = 0;
    struct Row {
        std::span<const SaveSlot> slots;
        IndexQuotes quotes;
        const char* text;
    };
    for (const Row& row : {Row{{}, IndexQuotes::kReplaced, "[savedata]\r\n"},
                           Row{{&slot, 1}, IndexQuotes::kReplaced,
                               "[savedata]\r\ndata = 42, \"Copper 'Kettle'\", \"Autosave!\", 0\r\n"},
                           Row{{&slot, 1}, IndexQuotes::kKept,
                               "[savedata]\r\ndata = 42, \"Copper \"Kettle\"\", \"Autosave!\", 0\r\n"}})
        EXPECT_EQ(slot_index_text(row.slots, row.quotes), row.text);
    // The header alone, and anything up to 15 bytes, lists no save.
    EXPECT_FALSE(slot_index_lists_saves(slot_index_text({})));
    EXPECT_FALSE(slot_index_lists_saves(std::string(15, 'x')));
    EXPECT_TRUE(slot_index_lists_saves(std::string(16, 'x')));
}

}  // namespace
