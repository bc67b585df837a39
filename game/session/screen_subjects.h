// What the screens that story actions and the walk open work on: the item
// noticed, the shop, the ending, the story page's text, the person talked to
// and the opponent. A screen's enter argument is a number or a pointer
// (`ScreenArgument`); for these screens it points at the matching record
// here, which the game keeps until the next action of the same kind
// replaces it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class MonsterActor;
struct NpcRecord;

// "Item": the state to return to, the item (0 for gold) and the amount (1 or
// -1 for an item; the gold gained or lost, with its sign).
struct ItemNotice {
    std::string return_state;
    uint32_t item_id = 0;
    int32_t amount = 0;
};

// "Shop": the shopkeeper and the three numbers of the action that opened it.
struct ShopRequest {
    std::shared_ptr<NpcRecord> keeper;
    uint16_t first = 0;   // low half of the action's second number
    uint16_t second = 0;  // high half
    uint32_t third = 0;
};

enum EndingKind : int32_t { kEndingFirst = 0, kEndingSecond = 1, kEndingThird = 2 };

struct ScreenSubjects {
    ItemNotice item_notice;         // "Item" gets &item_notice
    ShopRequest shop;               // "Shop" gets &shop
    int32_t ending = kEndingFirst;  // "EndOfGame" gets &ending
    std::string story_text;         // "Story" gets &story_text
    // "Talking" gets talk_partner.get(); kept here so that a person loaded
    // from its file for the talk outlives the level's people being dropped.
    std::shared_ptr<NpcRecord> talk_partner;
    // "Combat" gets opponent.get(): a monster of the level, or one made for a
    // random encounter that lives for this fight only.
    std::shared_ptr<MonsterActor> opponent;
};
