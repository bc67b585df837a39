#include "game/world/expression.h"

#include "game/story/archive.h"
#include "game/story/story_record.h"

template <class Self>
void Condition::fields(Self& self, Archive& ar) {
    ar.begin("M_CONDITION", kRecordVersion);
    ar.u8("Type", self.kind);
    ar.u8("Aux", self.aux);
    ar.u32("ID", self.id);
    ar.u32("Value", self.value);
    ar.end("M_CONDITION");
}

void Condition::serialize(Archive& ar) { fields(*this, ar); }

void Condition::read(Archive& ar) { serialize(ar); }

void Condition::write(Archive& ar) const { fields(*this, ar); }

template <class Self>
void Expression::fields(Self& self, Archive& ar) {
    ar.begin("M_EXPRESSION", kRecordVersion);
    ar.records("CONDCNT", self.conditions, Condition::kStoredBytes);
    ar.end("M_EXPRESSION");
}

void Expression::serialize(Archive& ar) { fields(*this, ar); }

void Expression::read(Archive& ar) { serialize(ar); }

void Expression::write(Archive& ar) const { fields(*this, ar); }
