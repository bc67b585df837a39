// A person of the story and the topics it offers in conversation.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/story/story_record.h"
#include "game/world/action.h"
#include "game/world/expression.h"

class Archive;

struct NpcTopic {
    // "label", "group:label" or "group:key:label"; see topic_menu.h.
    std::string key;
    std::string reply;         // shown when `chosen_reply` is empty
    std::string chosen_reply;  // shown when the topic is chosen
    std::string request;       // up to four comma-separated words for the next menu
    Expression expression;     // the topic is offered while this holds
    ActionList actions;
    uint32_t hide_flag = 0;    // hidden once this flag's value is 1 (0 = none)

    static constexpr size_t kMinStoredBytes = 1 + 5 * 2 + Expression::kMinStoredBytes + 2 + 4;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // NpcTopic, or a const NpcTopic when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

// Appearance bytes, in the order the person sprite composition reads them.
enum BodyPart { kPremade, kBody, kHead, kHair, kBodyPartCount };
// Face parts in file order; clothes is the ninth, stored after the topics.
enum FacePart {
    kFaceHair, kFaceExtra, kFaceEyebrow, kFaceNose, kFaceMouth,
    kFaceTatoo, kFaceEyes, kFaceHead, kFaceClothes, kFacePartCount
};

struct NpcRecord : StoryRecord {
    NpcRecord() : StoryRecord(RecordKind::Npc) {}

    std::string name;
    uint8_t stance = 0;  // behaviour kind of the person's actor
    std::array<uint8_t, kBodyPartCount> body{};
    std::array<uint8_t, kFacePartCount> face{};
    std::vector<NpcTopic> topics;

    static constexpr size_t kMinStoredBytes = 1 + 4 + 2 + 2 + 1 + 4 + 8 + 2 + 1;

    // The id is read here but registered by the loader.
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // NpcRecord, or a const NpcRecord when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
