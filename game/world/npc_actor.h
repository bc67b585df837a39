// A person of the story standing or walking on a level.
#pragma once

#include <memory>

#include "game/story/npc_record.h"
#include "game/world/actor.h"

class NpcActor : public Actor {
public:
    NpcActor(World* world, std::shared_ptr<NpcRecord> record);
    const std::shared_ptr<NpcRecord>& record() const { return record_; }

private:
    std::shared_ptr<NpcRecord> record_;
};

// The facing a sentry stance starts with and keeps, -1 for other stances.
int sentry_facing(int stance, bool monster);

// A person's or monster's look and behaviour from its record: the body
// parts, the stance and, for a sentry, the facing it keeps. Returns that
// facing, -1 when the stance is no sentry's.
int take_record_look(Actor& actor, const std::array<uint8_t, kBodyPartCount>& parts, int stance, bool monster);
