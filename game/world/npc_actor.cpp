#include "game/world/npc_actor.h"

#include "game/story/npc_record.h"

int sentry_facing(int stance, bool monster) {
    switch (stance) {
    case 6: return 10;
    case 7: return 30;
    case 8: return monster ? 20 : 0;
    case 9: return monster ? 0 : 20;
    default: return -1;
    }
}

int take_record_look(Actor& actor, const std::array<uint8_t, kBodyPartCount>& parts, int stance, bool monster) {
    actor.premade = parts[kPremade];
    actor.body = parts[kBody];
    actor.head = parts[kHead];
    actor.hair = parts[kHair];
    actor.behaviour = stance;
    const int start = sentry_facing(stance, monster);
    if (start >= 0) actor.facing = start;
    return start;
}

NpcActor::NpcActor(World* w, std::shared_ptr<NpcRecord> record) : Actor(w, true), record_(std::move(record)) {
    if (!record_) return;
    const int start = take_record_look(*this, record_->body, record_->stance, false);
    // Sentries and people without a behaviour stand: one frame a direction.
    if (start >= 0 || behaviour == 0) animated = false;
}
