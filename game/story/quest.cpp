#include "game/story/quest.h"

#include "game/story/archive.h"

void Quest::serialize(Archive& ar) {
    ar.begin("M_QUEST", kRecordVersion);
    ar.u32("ID", id);
    ar.text("Name", name);
    ar.text("Text1", text1);
    ar.text("Text2", text2);
    ar.end("M_QUEST");
}

void Quest::read(Archive& ar) { serialize(ar); }

void Quest::write(Archive& ar) const { ar.write_record(*this); }
