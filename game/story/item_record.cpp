#include "game/story/item_record.h"

#include <cstdio>

#include "game/story/archive.h"
#include "game/world/world.h"

template <class Self>
void ItemRecord::fields(Self& self, Archive& ar) {
    ar.begin("M_ITEM", kRecordVersion);
    ar.u32("ID", self.id);
    ar.u32("Param1", self.param1);
    ar.u32("Price", self.price);
    ar.text("Name", self.name);
    ar.text("Text2", self.text2, " ");
    ar.u32("Param2", self.param2);
    ar.u32("Param3", self.param3);
    ar.u32("Param4", self.param4);
    ar.text("Text3", self.text3, "<");
    ar.u16("Value", self.value);
    ar.u16("SubKind", self.sub_kind);
    ar.u16("Count", self.count);
    ar.u16("Amount2", self.amount2);
    ar.u16("Amount3", self.amount3);
    ar.u16("Aim", self.aim);
    ar.u16("Flag1", self.flag1);
    ar.u16("Flag2", self.flag2);
    ar.u32("Kind", self.kind);
    ar.text("Text4", self.text4);
    ar.u16("Priceless", self.priceless);
    ar.end("M_ITEM");
}

void ItemRecord::serialize(Archive& ar) { fields(*this, ar); }

void ItemRecord::read(Archive& ar) {
    serialize(ar);
    validate();
}

void ItemRecord::write(Archive& ar) const { fields(*this, ar); }

int32_t item_base_price(const ItemRecord& item) {
    const int32_t v = item.value;
    switch (item.kind) {
    case kItemWeapon:
    case kItemWand:
    case kItemArmour:
    case kItemShield:
        return (v * 90) >> 3;
    case kItemUsable:
        if (item.sub_kind != 0) return (v * 140) >> 3;
        return item.count < 7 ? (v * 2) >> 3 : (v * 9) >> 3;
    default:
        return item.price;  // quest items keep the stored price
    }
}

void ItemRecord::validate() {
    if (param2 < 1 || param2 > 12) param2 = 1;
    if (kind < kItemWeapon) kind = kItemWeapon;
    if (kind > kItemQuest) kind = kItemQuest;

    if (kind == kItemArmour) sub_kind = 1;
    if (kind == kItemShield || kind == kItemQuest) sub_kind = 0;
    if (sub_kind > (kind == kItemUsable ? 5 : 2)) sub_kind = 0;

    if (count == 0) count = 1;
    if (count > kEndlessUses) count = kEndlessUses;
    if (count == 99) count = 60;
    if (count == 3 && sub_kind == 0) count = 5;

    if (amount2 > 100) amount2 = 0;
    if (amount3 > 100) amount3 = 0;
    if (aim > 50) aim = 0;
    if (flag1 > 1) flag1 = 0;
    if (flag2 > 1) flag2 = 0;
    if (priceless > 1) priceless = 0;

    price = item_base_price(*this);
    if (kind == kItemQuest) value = 0;
    price = round_price(price);
    if (priceless) price = 0;
    if (price < 0) price = 0;
    if (price > 10000) price = 10000;
}

template <class Self>
void ItemGroup::fields(Self& self, Archive& ar) {
    ar.begin("M_ITEMGROUP", kRecordVersion);
    ar.u32("Kind", self.group_kind);
    ar.u32("ID", self.id);
    ar.text("Name", self.name);
    ar.owned_records("ITEMCNT", self.items, ItemRecord::kMinStoredBytes, [](ItemRecord&) {});
    ar.u16("Priceless", self.priceless);
    ar.end("M_ITEMGROUP");
}

void ItemGroup::serialize(Archive& ar) { fields(*this, ar); }

void ItemGroup::read(Archive& ar) {
    serialize(ar);
    if (priceless > 1) priceless = 0;
    for (auto& item : items) {
        item->priceless = uint16_t(priceless);
        if (priceless) item->price = 0;
    }
}

void ItemGroup::write(Archive& ar) const { fields(*this, ar); }

namespace {

// Names of sub-kinds 0..2; others print "?".
const char* sub_kind_name(const char* const (&names)[3], uint16_t sub_kind) {
    return sub_kind < 3 ? names[sub_kind] : "?";
}

}  // namespace

std::string item_stat_text(const ItemRecord& item, int32_t group_kind, int32_t uses) {
    static const char* const kDamage[3] = {"Slsh", "Prcg", "Blnt"};
    static const char* const kElement[3] = {"Earth", "Fire", "Water"};
    if (uses == 0) uses = item.count;
    char text[128];
    switch (group_kind) {
    case kItemWeapon:
        std::snprintf(text, sizeof text, "Att: %d   Type: %s   Usg: %d", item.value,
                      sub_kind_name(kDamage, item.sub_kind), uses);
        break;
    case kItemWand:
        std::snprintf(text, sizeof text, "Eff: %d   Type: %s   Aim: %d   Usg: %d", item.value,
                      sub_kind_name(kElement, item.sub_kind), item.aim, uses);
        break;
    case kItemUsable:
        std::snprintf(text, sizeof text, "Eff: +%d   Usg: %d", item.value, uses);
        break;
    case kItemArmour:
    case kItemShield:
        std::snprintf(text, sizeof text, "Def: +%d   Usg: %d", item.value, uses);
        break;
    default:
        return " ";
    }
    return text;
}
