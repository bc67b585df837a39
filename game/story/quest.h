// A quest of the story: its name and two texts for the quest log.
#pragma once

#include <cstddef>
#include <string>

#include "game/story/story_record.h"

class Archive;

struct Quest : StoryRecord {
    Quest() : StoryRecord(RecordKind::Quest) {}

    std::string name;
    std::string text1;
    std::string text2;

    static constexpr size_t kMinStoredBytes = 1 + 4 + 3 * 2;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Quest, or a const Quest when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
