#include "game/story/npc_record.h"

#include "game/story/archive.h"

void NpcTopic::serialize(Archive& ar) {
    ar.begin("M_NPCTOPIC", kRecordVersion);
    ar.text("Topic", key);
    ar.text("Text", reply);
    ar.text("Answer", chosen_reply);
    ar.text("Request", request);
    ar.unkept_text("Comment");
    expression.serialize(ar);
    actions.serialize(ar);
    ar.u32("HideFlag", hide_flag);
    ar.end("M_NPCTOPIC");
}

void NpcTopic::read(Archive& ar) { serialize(ar); }

void NpcTopic::write(Archive& ar) const { ar.write_record(*this); }

void NpcRecord::serialize(Archive& ar) {
    ar.begin("M_NPC", kRecordVersion);
    ar.u32("ID", id);
    ar.text("Name", name);
    ar.unkept_text("Text");  // the second text is not kept
    ar.u8("Stance", stance);
    for (uint8_t& b : body) ar.u8("Body", b);
    for (int i = 0; i < kFaceClothes; ++i) ar.u8("Face", face[i]);
    ar.records("TOPICCNT", topics, NpcTopic::kMinStoredBytes);
    ar.u8("Clothes", face[kFaceClothes]);
    ar.end("M_NPC");
}

void NpcRecord::read(Archive& ar) { serialize(ar); }

void NpcRecord::write(Archive& ar) const { ar.write_record(*this); }
