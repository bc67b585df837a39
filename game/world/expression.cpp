#include "game/world/expression.h"

#include "game/story/archive.h"
#include "game/story/story_record.h"

void Condition::serialize(Archive& ar) {
    ar.begin("M_CONDITION", kRecordVersion);
    ar.u8("Type", kind);
    ar.u8("Aux", aux);
    ar.u32("ID", id);
    ar.u32("Value", value);
    ar.end("M_CONDITION");
}

void Condition::read(Archive& ar) { serialize(ar); }

void Condition::write(Archive& ar) const { ar.write_record(*this); }

void Expression::serialize(Archive& ar) {
    ar.begin("M_EXPRESSION", kRecordVersion);
    ar.records("CONDCNT", conditions, Condition::kStoredBytes);
    ar.end("M_EXPRESSION");
}

void Expression::read(Archive& ar) { serialize(ar); }

void Expression::write(Archive& ar) const { ar.write_record(*this); }
