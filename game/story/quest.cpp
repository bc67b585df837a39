#include "game/story/quest.h"

#include "game/story/archive.h"

template <class Self>
void Quest::fields(Self& self, Archive& ar) {
    ar.begin("M_QUEST", kRecordVersion);
    ar.u32("ID", self.id);
    ar.text("Name", self.name);
    ar.text("Text1", self.text1);
    ar.text("Text2", self.text2);
    ar.end("M_QUEST");
}

void Quest::serialize(Archive& ar) { fields(*this, ar); }

void Quest::read(Archive& ar) { serialize(ar); }

void Quest::write(Archive& ar) const { fields(*this, ar); }
