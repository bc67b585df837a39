#include "game/world/flag_record.h"

#include "game/world/archive.h"

void FlagRecord::read(Archive& ar) {
    ar.read_begin("MS_FLAG");
    ar.read_temp_string("Name");
    id = ar.read_u32("ID");
    value = ar.read_i32("nValue");
    hi_value = ar.read_i32("nHiValue");
    ar.read_end("MS_FLAG");
}

void FlagRecord::write(Archive& ar) const {
    ar.write_begin("MS_FLAG", kRecordVersion);
    ar.write_string("Name", name);
    ar.write_u32("ID", id);
    ar.write_u32("nValue", uint32_t(value));
    ar.write_u32("nHiValue", uint32_t(hi_value));
    ar.write_end("MS_FLAG");
}
