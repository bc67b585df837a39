#include "game/combat/combat_tools.h"

#include <algorithm>
#include <cstring>

#include "game/story/item_record.h"
#include "game/world/hero_actor.h"

const ItemRecord* CombatToolGroup::item() const {
    return entries.empty() ? nullptr : entries.front()->item;
}

int32_t CombatToolGroup::count() const {
    int32_t sum = 0;
    for (const InventoryEntry* entry : entries) sum += entry->uses;
    return sum;
}

int32_t CombatToolGroup::rest() const { return entries.empty() ? 0 : count() - entries.front()->uses; }

int32_t page_item_kind(int32_t page) { return page >= kWeaponPage && page < kQuickPageCount ? page + 1 : 0; }

void CombatToolList::build(const HeroActor& hero, int32_t page) {
    groups_.clear();
    const int32_t kind = page_item_kind(page);
    if (kind == 0) return;
    for (const auto& entry : hero.inventory) {
        if (!entry || !entry->item || entry->item->kind != kind) continue;
        CombatToolGroup* group = find(entry->item->id);
        if (!group) {
            groups_.push_back(std::make_unique<CombatToolGroup>());
            group = groups_.back().get();
            group->item_id = entry->item->id;
        }
        group->entries.push_back(entry.get());
    }
    std::stable_sort(groups_.begin(), groups_.end(), [](const auto& a, const auto& b) {
        const ItemRecord* x = a->item();
        const ItemRecord* y = b->item();
        if (x->value != y->value) return x->value > y->value;
        return std::strcmp(x->name.c_str(), y->name.c_str()) < 0;
    });
}

int32_t CombatToolList::wrap(int32_t index) const {
    const int32_t n = size();
    if (n == 0) return 0;
    return ((index % n) + n) % n;
}

CombatToolGroup* CombatToolList::group_at(int32_t index) const {
    if (groups_.empty()) return nullptr;
    return groups_[size_t(wrap(index))].get();
}

InventoryEntry* CombatToolList::entry_at(int32_t index) const {
    const CombatToolGroup* group = group_at(index);
    return group && !group->entries.empty() ? group->entries.front() : nullptr;
}

CombatToolGroup* CombatToolList::find(uint32_t item_id) const {
    for (const auto& group : groups_)
        if (group->item_id == item_id) return group.get();
    return nullptr;
}

int32_t CombatToolList::index_of(uint32_t item_id) const {
    for (size_t i = 0; i < groups_.size(); ++i)
        if (groups_[i]->item_id == item_id) return int32_t(i);
    return 0;
}

bool CombatToolList::drop_entry(const InventoryEntry* entry) {
    for (auto it = groups_.begin(); it != groups_.end(); ++it) {
        auto& entries = (*it)->entries;
        const auto found = std::find(entries.begin(), entries.end(), entry);
        if (found == entries.end()) continue;
        entries.erase(found);
        if (entries.empty()) groups_.erase(it);
        return true;
    }
    return false;
}
