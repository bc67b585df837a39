#include "game/world/trigger.h"

#include "game/world/archive.h"

void Trigger::read(Archive& ar) {
    ar.read_begin("MS_TRIGGER");
    id = ar.read_u32("ID");
    value = ar.read_u16("Value");
    repeatable = ar.read_u8("Repeat");
    ar.read_temp_string("Comment");
    expression.read(ar);
    actions.read(ar);
    fired = 0;
    ar.read_end("MS_TRIGGER");
}

void Trigger::write(Archive& ar) const {
    ar.write_begin("MS_TRIGGER", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_u16("Value", value);
    ar.write_u8("Repeat", repeatable);
    ar.write_string("Comment", nullptr);
    expression.write(ar);
    actions.write(ar);
    ar.write_end("MS_TRIGGER");
}
