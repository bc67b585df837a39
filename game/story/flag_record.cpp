#include "game/story/flag_record.h"

#include "game/story/archive.h"

template <class Self>
void FlagRecord::fields(Self& self, Archive& ar) {
    ar.begin("MS_FLAG", kRecordVersion);
    ar.unkept_text("Name", self.name.c_str());  // stored for the editor only
    ar.u32("ID", self.id);
    ar.u32("nValue", self.value);
    ar.u32("nHiValue", self.hi_value);
    ar.end("MS_FLAG");
}

void FlagRecord::serialize(Archive& ar) { fields(*this, ar); }

void FlagRecord::read(Archive& ar) { serialize(ar); }

void FlagRecord::write(Archive& ar) const { fields(*this, ar); }
