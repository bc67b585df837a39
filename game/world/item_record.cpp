#include "game/world/item_record.h"

#include <cstdio>

#include "game/world/archive.h"
#include "game/world/world.h"

void ItemRecord::read(Archive& ar) {
    ar.read_begin("M_ITEM");
    id = ar.read_u32("ID");
    param1 = ar.read_i32("Param1");
    price = ar.read_i32("Price");
    name = ar.read_text("Name");
    text2 = ar.read_string("Text2").value_or(" ");
    param2 = ar.read_i32("Param2");
    param3 = ar.read_i32("Param3");
    param4 = ar.read_i32("Param4");
    text3 = ar.read_string("Text3").value_or("<");
    value = ar.read_u16("Value");
    sub_kind = ar.read_u16("SubKind");
    count = ar.read_u16("Count");
    amount2 = ar.read_u16("Amount2");
    amount3 = ar.read_u16("Amount3");
    aim = ar.read_u16("Aim");
    flag1 = ar.read_u16("Flag1");
    flag2 = ar.read_u16("Flag2");
    kind = ar.read_i32("Kind");
    text4 = ar.read_text("Text4");
    priceless = ar.read_u16("Priceless");
    ar.read_end("M_ITEM");
    validate();
}

void ItemRecord::write(Archive& ar) const {
    ar.write_begin("M_ITEM", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_u32("Param1", uint32_t(param1));
    ar.write_u32("Price", uint32_t(price));
    ar.write_string("Name", name);
    ar.write_string("Text2", text2);
    ar.write_u32("Param2", uint32_t(param2));
    ar.write_u32("Param3", uint32_t(param3));
    ar.write_u32("Param4", uint32_t(param4));
    ar.write_string("Text3", text3);
    ar.write_u16("Value", value);
    ar.write_u16("SubKind", sub_kind);
    ar.write_u16("Count", count);
    ar.write_u16("Amount2", amount2);
    ar.write_u16("Amount3", amount3);
    ar.write_u16("Aim", aim);
    ar.write_u16("Flag1", flag1);
    ar.write_u16("Flag2", flag2);
    ar.write_u32("Kind", uint32_t(kind));
    ar.write_string("Text4", text4);
    ar.write_u16("Priceless", priceless);
    ar.write_end("M_ITEM");
}

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

void ItemGroup::read(Archive& ar) {
    ar.read_begin("M_ITEMGROUP");
    group_kind = ar.read_i32("Kind");
    id = ar.read_u32("ID");
    name = ar.read_text("Name");
    const uint16_t count = ar.read_count("ITEMCNT", ItemRecord::kMinStoredBytes);
    items.clear();
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        auto item = std::make_unique<ItemRecord>();
        item->read(ar);
        items.push_back(std::move(item));
    }
    priceless = ar.read_u16("Priceless");
    if (priceless > 1) priceless = 0;
    ar.read_end("M_ITEMGROUP");
    for (auto& item : items) {
        item->priceless = uint16_t(priceless);
        if (priceless) item->price = 0;
    }
}

void ItemGroup::write(Archive& ar) const {
    ar.write_begin("M_ITEMGROUP", kRecordVersion);
    ar.write_u32("Kind", uint32_t(group_kind));
    ar.write_u32("ID", id);
    ar.write_string("Name", name);
    ar.write_count("ITEMCNT", items.size());
    for (const auto& item : items) item->write(ar);
    ar.write_u16("Priceless", uint32_t(priceless));
    ar.write_end("M_ITEMGROUP");
}

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
