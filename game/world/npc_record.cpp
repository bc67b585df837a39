#include "game/world/npc_record.h"

#include "game/world/archive.h"

void NpcTopic::read(Archive& ar) {
    ar.read_begin("M_NPCTOPIC");
    key = ar.read_text("Topic");
    reply = ar.read_text("Text");
    chosen_reply = ar.read_text("Answer");
    request = ar.read_text("Request");
    ar.read_temp_string("Comment");
    expression.read(ar);
    actions.read(ar);
    hide_flag = ar.read_u32("HideFlag");
    ar.read_end("M_NPCTOPIC");
}

void NpcTopic::write(Archive& ar) const {
    ar.write_begin("M_NPCTOPIC", kRecordVersion);
    ar.write_string("Topic", key);
    ar.write_string("Text", reply);
    ar.write_string("Answer", chosen_reply);
    ar.write_string("Request", request);
    ar.write_string("Comment", nullptr);
    expression.write(ar);
    actions.write(ar);
    ar.write_u32("HideFlag", hide_flag);
    ar.write_end("M_NPCTOPIC");
}

void NpcRecord::read(Archive& ar) {
    ar.read_begin("M_NPC");
    id = ar.read_u32("ID");
    name = ar.read_text("Name");
    ar.read_temp_string("Text");  // the second text is not kept
    stance = ar.read_u8("Stance");
    for (uint8_t& b : body) b = ar.read_u8("Body");
    for (int i = 0; i < kFaceClothes; ++i) face[i] = ar.read_u8("Face");
    const uint16_t count = ar.read_count("TOPICCNT", NpcTopic::kMinStoredBytes);
    topics.assign(count, NpcTopic{});
    for (NpcTopic& t : topics) {
        if (ar.failed()) break;
        t.read(ar);
    }
    face[kFaceClothes] = ar.read_u8("Clothes");
    ar.read_end("M_NPC");
}

void NpcRecord::write(Archive& ar) const {
    ar.write_begin("M_NPC", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_string("Name", name);
    ar.write_string("Text", nullptr);
    ar.write_u8("Stance", stance);
    for (uint8_t b : body) ar.write_u8("Body", b);
    for (int i = 0; i < kFaceClothes; ++i) ar.write_u8("Face", face[i]);
    ar.write_count("TOPICCNT", topics.size());
    for (const NpcTopic& t : topics) t.write(ar);
    ar.write_u8("Clothes", face[kFaceClothes]);
    ar.write_end("M_NPC");
}
