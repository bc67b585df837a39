#include "game/world/trigger.h"

#include "game/story/archive.h"

void Trigger::serialize(Archive& ar) {
    ar.begin("MS_TRIGGER", kRecordVersion);
    ar.u32("ID", id);
    ar.u16("Value", value);
    ar.u8("Repeat", repeatable);
    ar.unkept_text("Comment");
    expression.serialize(ar);
    actions.serialize(ar);
    ar.end("MS_TRIGGER");
}

void Trigger::read(Archive& ar) {
    serialize(ar);
    fired = 0;
}

void Trigger::write(Archive& ar) const { ar.write_record(*this); }
