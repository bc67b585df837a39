// Items and the item groups that hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/pooled_text.h"
#include "game/story/story_record.h"

class Archive;

enum ItemKind : int32_t {
    kItemWeapon = 1,
    kItemWand = 2,
    kItemUsable = 3,
    kItemArmour = 4,
    kItemShield = 5,
    kItemQuest = 6,
};

struct ItemRecord : StoryRecord {
    ItemRecord() : StoryRecord(RecordKind::Item) {}

    // A count of this many uses never runs out.
    static constexpr uint16_t kEndlessUses = 1000;

    int32_t param1 = 0;        // the icon number: "tiles/item_<icon>.bmp"
    int32_t price = 0;
    PooledText name;
    PooledText text2 = PooledText::literal(" ");  // null in the file gives " "
    int32_t param2 = 1;        // 1..12
    int32_t param3 = 0;
    int32_t param4 = 0;
    PooledText text3 = PooledText::literal("<");  // the combat action; null in the file gives "<"
    uint16_t value = 0;        // attack, effect or defence amount
    uint16_t sub_kind = 0;     // damage type, element or effect
    uint16_t count = 1;        // uses of one inventory entry
    uint16_t amount2 = 0;
    uint16_t amount3 = 0;
    uint16_t aim = 0;          // knowledge needed
    uint16_t flag1 = 0;
    uint16_t flag2 = 0;
    int32_t kind = kItemWeapon;
    PooledText text4;          // what combat says when the item is used
    uint16_t priceless = 0;

    int32_t icon() const { return param1; }
    // The name of the combat action script ("actions/<name>.txt"); empty when
    // the item plays none ("<" or an empty text).
    std::string action_name() const { return text3 == "<" ? std::string() : text3.str(); }
    PooledText use_text() const { return text4; }

    static constexpr size_t kMinStoredBytes = 1 + 4 * 3 + 2 * 2 + 4 * 3 + 2 + 2 * 8 + 4 + 2 + 2;

    // Registered by its group's loader.
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    // Clamps and defaults, then the derived price.
    void validate();

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // ItemRecord, or a const ItemRecord when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

struct ItemGroup : StoryRecord {
    ItemGroup() : StoryRecord(RecordKind::ItemGroup) {}

    int32_t group_kind = kItemWeapon;  // selects the stat line
    PooledText name;
    std::vector<std::unique_ptr<ItemRecord>> items;
    int32_t priceless = 0;

    static constexpr size_t kMinStoredBytes = 1 + 4 + 4 + 2 + 2 + 2;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // ItemGroup, or a const ItemGroup when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

// The item's stat line for the inventory and the shop, chosen by the kind of
// its group; `uses` 0 shows the item's own count.
std::string item_stat_text(const ItemRecord& item, int32_t group_kind, int32_t uses);

// The price an item of this value, kind, sub-kind and count is worth before
// the priceless flag and the final clamp.
int32_t item_base_price(const ItemRecord& item);
