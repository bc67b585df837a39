#include "game/world/trigger.h"

#include "game/story/archive.h"

template <class Self>
void Trigger::fields(Self& self, Archive& ar) {
    ar.begin("MS_TRIGGER", kRecordVersion);
    ar.u32("ID", self.id);
    ar.u16("Value", self.value);
    ar.u8("Repeat", self.repeatable);
    ar.unkept_text("Comment");
    ar.record(self.expression);
    ar.record(self.actions);
    ar.end("MS_TRIGGER");
}

void Trigger::serialize(Archive& ar) { fields(*this, ar); }

void Trigger::read(Archive& ar) {
    serialize(ar);
    fired = 0;
}

void Trigger::write(Archive& ar) const { fields(*this, ar); }
