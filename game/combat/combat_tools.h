// The hero's quick items in a fight: the inventory entries of one page
// (weapons, wands or usable items) grouped by item, so that two stacks of
// one potion show as one slot of the carousel with their summed count.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class HeroActor;
struct InventoryEntry;
struct ItemRecord;

// The carousel pages and the item kinds they list.
enum QuickItemPage : int32_t {
    kNoQuickPage = -1,
    kWeaponPage = 0,
    kMagicPage = 1,
    kUsablePage = 2,
    kQuickPageCount = 3,
};

// One slot: an item and the hero's entries of it (not owned).
struct CombatToolGroup {
    uint32_t item_id = 0;
    std::vector<InventoryEntry*> entries;

    const ItemRecord* item() const;
    // The entries' uses summed, as they stand now.
    int32_t count() const;
    // The uses of the entries after the first.
    int32_t rest() const;
};

class CombatToolList {
public:
    // The hero's entries of the page's kind, grouped in inventory order,
    // then sorted: by the item's value, highest first; equal values by name
    // in byte order. A page outside 0..2 lists nothing.
    void build(const HeroActor& hero, int32_t page);
    void clear() { groups_.clear(); }

    int32_t size() const { return int32_t(groups_.size()); }
    bool empty() const { return groups_.empty(); }
    // Any index counts, wrapping both ways (-1 is the last group); an empty
    // list has no index.
    int32_t wrap(int32_t index) const;
    CombatToolGroup* group_at(int32_t index) const;
    // The group's first entry; null for an empty list or group.
    InventoryEntry* entry_at(int32_t index) const;
    CombatToolGroup* find(uint32_t item_id) const;
    // The group's index, 0 when the item is not listed.
    int32_t index_of(uint32_t item_id) const;
    // Takes an entry that ran out out of its group, and the group out of the
    // list when it has no entries left. True when the entry was listed.
    bool drop_entry(const InventoryEntry* entry);

private:
    std::vector<std::unique_ptr<CombatToolGroup>> groups_;
};

// The item kind a page lists: weapons 1, wands 2, usable items 3.
int32_t page_item_kind(int32_t page);
