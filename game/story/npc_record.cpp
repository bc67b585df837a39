#include "game/story/npc_record.h"

#include "game/story/archive.h"

template <class Self>
void NpcTopic::fields(Self& self, Archive& ar) {
    ar.begin("M_NPCTOPIC", kRecordVersion);
    ar.text("Topic", self.key);
    ar.text("Text", self.reply);
    ar.text("Answer", self.chosen_reply);
    ar.text("Request", self.request);
    ar.unkept_text("Comment");
    ar.record(self.expression);
    ar.record(self.actions);
    ar.u32("HideFlag", self.hide_flag);
    ar.end("M_NPCTOPIC");
}

void NpcTopic::serialize(Archive& ar) { fields(*this, ar); }

void NpcTopic::read(Archive& ar) { serialize(ar); }

void NpcTopic::write(Archive& ar) const { fields(*this, ar); }

template <class Self>
void NpcRecord::fields(Self& self, Archive& ar) {
    ar.begin("M_NPC", kRecordVersion);
    ar.u32("ID", self.id);
    ar.text("Name", self.name);
    ar.unkept_text("Text");  // the second text is not kept
    ar.u8("Stance", self.stance);
    for (auto& b : self.body) ar.u8("Body", b);
    for (int i = 0; i < kFaceClothes; ++i) ar.u8("Face", self.face[i]);
    ar.records("TOPICCNT", self.topics, NpcTopic::kMinStoredBytes);
    ar.u8("Clothes", self.face[kFaceClothes]);
    ar.end("M_NPC");
}

void NpcRecord::serialize(Archive& ar) { fields(*this, ar); }

void NpcRecord::read(Archive& ar) { serialize(ar); }

void NpcRecord::write(Archive& ar) const { fields(*this, ar); }
