#include "game/world/expression.h"

#include "game/world/archive.h"
#include "game/world/story_record.h"

void Condition::read(Archive& ar) {
    ar.read_begin("M_CONDITION");
    kind = ar.read_u8("Type");
    aux = ar.read_u8("Aux");
    id = ar.read_u32("ID");
    value = ar.read_u32("Value");
    ar.read_end("M_CONDITION");
}

void Condition::write(Archive& ar) const {
    ar.write_begin("M_CONDITION", kRecordVersion);
    ar.write_u8("Type", kind);
    ar.write_u8("Aux", aux);
    ar.write_u32("ID", id);
    ar.write_u32("Value", value);
    ar.write_end("M_CONDITION");
}

void Expression::read(Archive& ar) {
    ar.read_begin("M_EXPRESSION");
    const uint16_t count = ar.read_count("CONDCNT", Condition::kStoredBytes);
    conditions.assign(count, Condition{});
    for (Condition& c : conditions) c.read(ar);
    ar.read_end("M_EXPRESSION");
}

void Expression::write(Archive& ar) const {
    ar.write_begin("M_EXPRESSION", kRecordVersion);
    ar.write_count("CONDCNT", conditions.size());
    for (const Condition& c : conditions) c.write(ar);
    ar.write_end("M_EXPRESSION");
}
