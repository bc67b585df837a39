// Common head of every story record that the world registers by id: the id
// and a kind tag, so that a lookup for one kind never hands out another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/memory_pool.h"

enum class RecordKind : uint8_t {
    Npc,
    Monster,
    Item,
    ItemGroup,
    Quest,
    Region,
    Map,
    Level,
    Flag,
    Trigger,
};

const char* record_kind_name(RecordKind kind);
// The name with its article: "a person", "an item".
std::string record_kind_with_article(RecordKind kind);

struct StoryRecord : PoolObject {
    explicit StoryRecord(RecordKind k) : kind(k) {}
    StoryRecord(const StoryRecord&) = default;
    StoryRecord& operator=(const StoryRecord&) = delete;
    virtual ~StoryRecord() = default;

    uint32_t id = 0;
    const RecordKind kind;
};

// Version byte written at the start of every tagged record.
inline constexpr uint8_t kRecordVersion = 1;
