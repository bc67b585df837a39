// A story trigger: an expression and the actions it queues when it holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/story/story_record.h"
#include "game/world/action.h"
#include "game/world/expression.h"

class World;

struct Trigger : StoryRecord {
    Trigger() : StoryRecord(RecordKind::Trigger) {}

    uint16_t value = 0;       // kept, not used by the evaluation
    uint8_t repeatable = 0;
    Expression expression;
    ActionList actions;
    uint8_t fired = 0;        // not stored

    static constexpr size_t kMinStoredBytes = 1 + 4 + 2 + 1 + 2 + Expression::kMinStoredBytes + 2;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

    // A repeatable trigger whenever its expression holds; another only until
    // it fired.
    bool is_enabled(World& world) const;
    // Its expression or one of its actions names the level.
    bool uses_level(uint32_t level_id) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Trigger, or a const Trigger when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
