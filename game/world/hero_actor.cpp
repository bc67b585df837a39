#include "game/world/hero_actor.h"

#include <algorithm>

#include "engine/core/text_helpers.h"
#include "game/story/item_record.h"
#include "game/story/quest.h"
#include "game/world/world.h"

HeroActor::HeroActor(World* w) : Actor(w, false) { body = kStartBody; }

void HeroActor::init_from_record(int32_t lvl, int32_t dex, int32_t str, int32_t knw, int32_t def, int32_t res) {
    Actor::init_from_record(lvl, dex, str, knw, def, res);
    reset(nullptr);
}

void HeroActor::init_named(int32_t lvl, int32_t dex, int32_t str, int32_t knw, int32_t def, int32_t res,
                           const std::u16string& hero_name) {
    Actor::init_stats(lvl, dex, str, knw, def, res, 0, 0);
    const std::string narrow = utf16_to_utf8(hero_name);
    reset(&narrow);
}

int32_t HeroActor::strength() const {
    int32_t sum = combat_strength + bonus_strength;
    if (!current_item) return sum;
    sum += current_item->item->value;
    // Fists and bare objects hit no harder than this.
    if (current_item->item->value == 0) sum = std::min(sum, 3);
    return sum;
}

int32_t HeroActor::knowledge() const {
    int32_t sum = combat_knowledge + bonus_knowledge;
    if (current_item) sum += current_item->item->value;
    return sum;
}

int32_t HeroActor::attack_kind() const {
    if (current_item && current_item->item->kind == kItemWand) return current_item->item->sub_kind;
    return attack_kind_;
}

void HeroActor::heal(int32_t amount) { hit_points = std::min(hit_points + amount, max_hit_points); }

void HeroActor::take_damage(int32_t amount, bool physical) {
    hit_points -= amount;
    (physical ? physical_damage : magic_damage) += amount;
    hit = true;
}

bool HeroActor::use_up_item(InventoryEntry* entry) {
    if (!entry || entry->uses >= ItemRecord::kEndlessUses) return false;
    entry->uses -= 1;
    if (entry->uses > 0) return false;
    last_used_up_item = entry->item ? entry->item->id : 0;
    remove_entry(entry);
    return true;
}

bool HeroActor::can_use_magic(const ItemRecord& item) const {
    return combat_knowledge + bonus_knowledge >= int32_t(item.aim);
}

void HeroActor::forget_entry(const InventoryEntry* entry) {
    if (armour == entry) armour = nullptr;
    if (shield == entry) shield = nullptr;
}

// --- inventory and quests --------------------------------------------------------

InventoryEntry* HeroActor::add_entry(ItemRecord* item, int32_t uses) {
    if (!item || inventory.size() >= kMaxItems) return nullptr;
    inventory.push_back(std::make_unique<InventoryEntry>(InventoryEntry{item, uses}));
    return inventory.back().get();
}

bool HeroActor::add_item(uint32_t item_id) {
    ItemRecord* item = world ? world->get_item(item_id) : nullptr;
    return item && add_entry(item, item->count);
}

bool HeroActor::has_item(uint32_t item_id) const {
    return std::any_of(inventory.begin(), inventory.end(),
                       [&](const auto& e) { return e->item && e->item->id == item_id; });
}

void HeroActor::add_quest(uint32_t quest_id) {
    Quest* quest = world ? world->get_quest(quest_id) : nullptr;
    if (!quest) return;
    for (const QuestEntry& q : quests)
        if (q.quest == quest) return;
    quests.push_back({quest, 0});
}

void HeroActor::complete_quest(uint32_t quest_id) {
    for (QuestEntry& q : quests)
        if (q.quest && q.quest->id == quest_id) q.done = 1;
}

// --- rules ---------------------------------------------------------------------------

void HeroActor::reset(const std::string* new_name) {
    compute_profile();
    max_hit_points = hit_points;
    experience_step = 100;
    damage_threshold = 2 * hit_points;
    experience = 0;
    physical_damage = 0;
    magic_damage = 0;
    if (new_name) name = new_name->substr(0, kMaxNameLength);
}

void HeroActor::compute_profile() {
    profile = 0;
    profile_dexterity = 0;
    profile_defence = 0;
    profile_resistance = 0;
    const int64_t total = int64_t(dexterity_) + strength_ + knowledge_;
    // Without attributes there is no profile to speak of.
    if (total <= 0) return;
    const int64_t d = 100 * int64_t(dexterity_) / total;
    const int64_t s = 100 * int64_t(strength_) / total;
    const int64_t k = 100 * int64_t(knowledge_) / total;
    const int32_t tenth = level_number / 10;
    auto in = [](int64_t v, int lo, int hi) { return v >= lo && v < hi; };
    if (d > 50) profile = 1, profile_resistance = 2 * tenth;
    if (s > 50) profile = 2, profile_defence = 2 * tenth;
    if (k > 50) profile = 3, profile_defence = 2 * tenth;
    if (in(d, 36, 50) && in(s, 36, 50)) profile = 4, profile_resistance = 2 * tenth;
    if (in(d, 36, 50) && in(k, 36, 50)) profile = 5, profile_defence = 2 * tenth;
    if (in(s, 36, 50) && in(k, 36, 50)) profile = 6, profile_dexterity = tenth;
    if (d > 25 && d < 40 && s > 25 && s < 40 && in(k, 26, 40)) profile = 7, profile_defence = 2 * tenth;
}

void HeroActor::level_up(int choice) {
    level_number += 1;
    if (choice == 1) dexterity_ += 1;
    if (choice == 2) strength_ += 1;
    if (choice == 4) knowledge_ += 1;
    experience -= experience_step;
    experience_step += 100;
    hit_points = hit_points_for_level(level_number);
    max_hit_points = hit_points;
    if (level_number % 5 != 0) {
        if (physical_damage > damage_threshold) {
            defence_ += 1;
            physical_damage = 0;
            damage_threshold = 2 * hit_points;
        }
        if (magic_damage > damage_threshold) {
            resistance_ += 1;
            magic_damage = 0;
            damage_threshold = 2 * hit_points;
        }
    }
    if (resistance_ < (3 * knowledge_) / 4 + 5) resistance_ += 1;
}

void HeroActor::begin_combat() {
    combat_dexterity = dexterity_;
    combat_strength = strength_;
    combat_knowledge = knowledge_;
    combat_resistance = resistance_;
    combat_defence = defence_;
    if (armour && armour->item) combat_defence += armour->item->value;
    if (shield && shield->item) combat_defence += shield->item->value;
    hit = false;
    armour_lost = false;
    shield_lost = false;
}

int HeroActor::can_attack() const {
    if (!current_item || !current_item->item) return 1;
    return refusal_for(*current_item->item);
}

int HeroActor::refusal_for(const ItemRecord& item) const {
    if (item.kind == kItemWand && int32_t(item.aim) > combat_knowledge + bonus_knowledge) return 3;
    if (item.kind == kItemUsable) {
        const int32_t bonuses[] = {bonus_dexterity, bonus_strength, bonus_defence, bonus_knowledge, bonus_resistance};
        if (item.sub_kind >= 1 && item.sub_kind <= 5 && bonuses[item.sub_kind - 1] != 0) return 4;
    }
    return 0;
}

InventoryEntry* HeroActor::best_potion() const {
    InventoryEntry* best = nullptr;
    for (const auto& e : inventory) {
        const ItemRecord* item = e->item;
        if (!item || item->kind != kItemUsable || item->sub_kind != 0 || item->count <= 5) continue;
        if (!best || item->value > best->item->value ||
            (item->value == best->item->value && item->count > best->item->count))
            best = e.get();
    }
    return best;
}

void HeroActor::drink_potions() {
    InventoryEntry* potion = best_potion();
    while (potion && hit_points < max_hit_points) {
        heal(potion->item->value);
        if (use_up_item(potion)) potion = best_potion();
    }
}

InventoryEntry* HeroActor::best_gear(int32_t kind) const {
    InventoryEntry* best = nullptr;
    for (const auto& e : inventory)
        if (e->item && e->item->kind == kind && (!best || e->item->value > best->item->value)) best = e.get();
    return best;
}

void HeroActor::auto_equip() {
    if (armour_lost) armour = best_gear(kItemArmour);
    if (shield_lost) shield = best_gear(kItemShield);
}

bool HeroActor::item_fits_level(const ItemRecord& item) const {
    if (item.priceless) return false;
    const int32_t L = level_number;
    const int32_t difficulty = world ? world->difficulty : 1;
    const int32_t value = item.value;
    auto fits_band = [&](int32_t v) { return value <= v && (value >= v / 2 || v / 2 > 12); };
    switch (item.kind) {
    case kItemWeapon:
    case kItemWand:
        // Only easy is kinder; any other difficulty is treated as normal.
        return fits_band(difficulty == 0 ? (L + 1) / 4 + 2 : (L + 1) / 5 + 2);
    case kItemArmour:
    case kItemShield:
        return fits_band((L + 1) / 4 + 2);
    case kItemUsable: {
        if (item.sub_kind != 0) return value <= (L + 1) / 4 + 1;
        const int64_t m = max_hit_points;
        if (item.count < 10) return m / 3 <= value && value <= 6 * m / 5;
        return m / 15 <= value && value <= 6 * m / 25;
    }
    default:
        return false;
    }
}

int32_t item_price(const HeroActor& hero, int index) {
    if (index < 0 || size_t(index) >= hero.inventory.size()) return -1;
    const InventoryEntry& entry = *hero.inventory[size_t(index)];
    if (!entry.item) return -1;
    const ItemRecord& item = *entry.item;
    if (item.kind == kItemQuest) return item.price;
    // 64-bit: uses may exceed the count (an endless item), and the
    // intermediate products overflow 32 bits long before that.
    const int64_t count = std::max<int64_t>(item.count, 1);
    const int64_t r = (int64_t(entry.uses) << 20) / (count << 4);
    const int64_t value = ((r >> 8) * (int64_t(item.price) * 256)) / 65536;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
