// A story trigger: an expression and the actions it queues when it holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/world/action.h"
#include "game/world/expression.h"
#include "game/world/story_record.h"

struct Trigger : StoryRecord {
    Trigger() : StoryRecord(RecordKind::Trigger) {}

    uint16_t value = 0;       // kept, not used by the evaluation
    uint8_t repeatable = 0;
    Expression expression;
    ActionList actions;
    uint8_t fired = 0;        // not stored

    static constexpr size_t kMinStoredBytes = 1 + 4 + 2 + 1 + 2 + Expression::kMinStoredBytes + 2;

    void read(Archive& ar);
    void write(Archive& ar) const;
};
