// A person of the story standing or walking on a level.
#pragma once

#include <memory>

#include "game/world/actor.h"

struct NpcRecord;

class NpcActor : public Actor {
public:
    NpcActor(World* world, std::shared_ptr<NpcRecord> record);
    const std::shared_ptr<NpcRecord>& record() const { return record_; }

private:
    std::shared_ptr<NpcRecord> record_;
};

// The facing a sentry stance starts with and keeps, -1 for other stances.
int sentry_facing(int stance, bool monster);
