#include "game/world/npc_actor.h"

#include "game/world/npc_record.h"

int sentry_facing(int stance, bool monster) {
    switch (stance) {
    case 6: return 10;
    case 7: return 30;
    case 8: return monster ? 20 : 0;
    case 9: return monster ? 0 : 20;
    default: return -1;
    }
}

NpcActor::NpcActor(World* w, std::shared_ptr<NpcRecord> record) : Actor(w, true), record_(std::move(record)) {
    if (!record_) return;
    premade = record_->body[kPremade];
    body = record_->body[kBody];
    head = record_->body[kHead];
    hair = record_->body[kHair];
    behaviour = record_->stance;
    const int start = sentry_facing(behaviour, false);
    if (start >= 0) facing = start;
    // Sentries and people without a behaviour stand: one frame a direction.
    if (start >= 0 || behaviour == 0) animated = false;
}
