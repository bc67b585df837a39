// A story flag: a named pair of values that holds the story's state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/story/story_record.h"

class Archive;

struct FlagRecord : StoryRecord {
    FlagRecord() : StoryRecord(RecordKind::Flag) {}

    int32_t value = 0;     // nValue: set when not 0
    int32_t hi_value = 0;  // nHiValue
    // The name is stored for the story's authors only; the game drops it.
    std::string name;

    static constexpr size_t kMinStoredBytes = 1 + 2 + 12;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // FlagRecord, or a const FlagRecord when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
