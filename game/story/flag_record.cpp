#include "game/story/flag_record.h"

#include "game/story/archive.h"

void FlagRecord::serialize(Archive& ar) {
    ar.begin("MS_FLAG", kRecordVersion);
    ar.unkept_text("Name", name.c_str());  // stored for the editor only
    ar.u32("ID", id);
    ar.u32("nValue", value);
    ar.u32("nHiValue", hi_value);
    ar.end("MS_FLAG");
}

void FlagRecord::read(Archive& ar) { serialize(ar); }

void FlagRecord::write(Archive& ar) const { ar.write_record(*this); }
