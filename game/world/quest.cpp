#include "game/world/quest.h"

#include "game/world/archive.h"

void Quest::read(Archive& ar) {
    ar.read_begin("M_QUEST");
    id = ar.read_u32("ID");
    name = ar.read_text("Name");
    text1 = ar.read_text("Text1");
    text2 = ar.read_text("Text2");
    ar.read_end("M_QUEST");
}

void Quest::write(Archive& ar) const {
    ar.write_begin("M_QUEST", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_string("Name", name);
    ar.write_string("Text1", text1);
    ar.write_string("Text2", text2);
    ar.write_end("M_QUEST");
}
