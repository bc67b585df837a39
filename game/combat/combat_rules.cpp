#include "game/combat/combat_rules.h"

#include <algorithm>
#include <climits>

#include "engine/core/crt_random.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace {

constexpr uint16_t kGiveItemAction = 0x101;

// Story values reach products far beyond 32 bits (item values up to 65535,
// attributes up to 10000); the rules' results stay within 0 .. INT32_MAX.
int32_t clamp_to_i32(int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, INT32_MAX)); }

// A divisor of 0 or less (a hero maximum of 0, a defence of -2) counts as 1.
int64_t divisor(int64_t d) { return d <= 0 ? 1 : d; }

int64_t dexterity_ratio(int32_t attacker, int32_t defender) {
    return (int64_t(attacker) + 2) * 100 / divisor(int64_t(defender) + 2);
}

int64_t magic_ratio(int32_t attacker, int32_t defender) {
    return std::clamp<int64_t>(dexterity_ratio(attacker, defender), 20, 200);
}

HeroActor* as_hero(Actor& actor) { return dynamic_cast<HeroActor*>(&actor); }
MonsterActor* as_monster(Actor& actor) { return dynamic_cast<MonsterActor*>(&actor); }

const ItemRecord* current_record(const Actor& actor) {
    return actor.current_item ? actor.current_item->item : nullptr;
}

bool is_arm(const InventoryEntry& entry) {
    return entry.item && (entry.item->kind == kItemWeapon || entry.item->kind == kItemWand);
}

bool is_usable(const InventoryEntry& entry) { return !entry.item || entry.item->kind == kItemUsable; }

// Draws entries until one passes; only called when one exists.
template <class Accept>
InventoryEntry* draw_entry(CombatRules& rules, const Inventory& items, Accept accept) {
    while (true) {
        InventoryEntry* e = items[rules.random_raw() % items.size()].get();
        if (accept(*e)) return e;
    }
}

// --- monster stat tables ---------------------------------------------------------

constexpr int32_t kLevelPercent[3][5] = {
    {80, 90, 100, 120, 150},
    {100, 110, 120, 140, 160},
    {110, 130, 145, 160, 190},
};
constexpr int32_t kHitPointPercent[3][5] = {
    {80, 90, 100, 110, 180},
    {110, 130, 145, 160, 220},
    {130, 150, 170, 190, 220},
};

struct MonsterClass {
    int32_t weight[3];  // dexterity, strength, knowledge
    int32_t order[3];
    int32_t defence_tenths;     // defence = (b x this + 5) / 10
    int32_t resistance_tenths;  // resistance likewise
    int32_t hit_point_percent;
};

// Defence and resistance are (b x tenths + 5) / 10 of the monster level b;
// five tenths is (b + 1) / 2.
constexpr MonsterClass kClasses[7] = {
    {{50, 50, 0}, {1, 2, 3}, 6, 3, 100},
    {{20, 70, 10}, {2, 1, 3}, 7, 2, 120},
    {{15, 15, 70}, {3, 2, 1}, 5, 8, 80},
    {{40, 60, 0}, {2, 1, 3}, 8, 1, 110},
    {{40, 30, 30}, {2, 3, 1}, 7, 6, 100},
    {{0, 60, 40}, {3, 2, 1}, 6, 4, 100},
    {{20, 50, 30}, {2, 1, 3}, 5, 5, 100},
};

int32_t tenths_of(int32_t b, int32_t tenths) { return clamp_to_i32((int64_t(b) * tenths + 5) / 10); }

}  // namespace

CombatRules::CombatRules() : runtime_rand(crt_rand) {}

// --- the fight -------------------------------------------------------------------

void CombatRules::begin_fight(World& world, HeroActor& hero, MonsterActor& monster, uint32_t seed) {
    world_ = &world;
    hero_ = &hero;
    monster_ = &monster;
    random_.set_seed(seed);
    start_hit_points_ = hero.hit_points;
    if (monster.record() && !monster.record()->fixed_stats) generate_monster_stats(monster);
}

void CombatRules::end_fight() {
    if (hero_) {
        wear_out_gear();
        hero_->bonus_dexterity = hero_->bonus_strength = hero_->bonus_defence = 0;
        hero_->bonus_knowledge = hero_->bonus_resistance = 0;
    }
    monster_ = nullptr;
}

int32_t CombatRules::difficulty() const {
    const int32_t d = world_ ? world_->difficulty : 1;
    return std::clamp(d, 0, 2);
}

// --- turns -----------------------------------------------------------------------------

bool CombatRules::hero_begins() {
    const uint32_t r = random_raw();
    const int64_t hero_dexterity = hero_ ? hero_->dexterity_ : 0;
    const int64_t sum = hero_dexterity + (monster_ ? monster_->dexterity_ : 0);
    return int64_t(r % uint64_t(divisor(sum))) <= hero_dexterity;
}

CombatRules::HitChances CombatRules::hit_chances(bool hero_attacks, int32_t attacker_dexterity,
                                                 int32_t defender_dexterity) {
    const int64_t raw = dexterity_ratio(attacker_dexterity, defender_dexterity);
    HitChances c;
    if (hero_attacks) {
        const int64_t ratio = std::clamp<int64_t>(raw, 20, 200);
        if (ratio > 100) c.critical = int32_t((ratio - 100) * 35 / 100);
        else c.miss = int32_t((100 - ratio) * 35 / 80);
    } else {
        const int64_t ratio = std::clamp<int64_t>(raw, 50, 500);
        if (ratio > 100) c.critical = int32_t((ratio - 100) * 10 / 400);
        else c.miss = int32_t((100 - ratio) * 35 / 50);
    }
    return c;
}

int32_t CombatRules::magic_miss_chance(int32_t attacker_dexterity, int32_t defender_dexterity) {
    const int64_t ratio = magic_ratio(attacker_dexterity, defender_dexterity);
    return ratio > 100 ? 0 : int32_t((100 - ratio) * 35 / 80);
}

int CombatRules::test_hit(Actor& attacker, Actor& defender, CombatResult& result) {
    const HitChances c = hit_chances(as_hero(attacker) != nullptr, attacker.dexterity(), defender.dexterity());
    const int32_t roll = int32_t(random(100));
    if (roll < c.miss) {
        result.flags |= CombatResult::kMiss;
        return 0;
    }
    if (roll < c.critical) result.flags |= CombatResult::kCritical;
    return 1;
}

int CombatRules::test_magic_hit(Actor& attacker, Actor& defender, CombatResult& result) {
    // Above a ratio of 100 magic always hits without a draw.
    if (magic_ratio(attacker.dexterity(), defender.dexterity()) > 100) return 1;
    if (int32_t(random(100)) < magic_miss_chance(attacker.dexterity(), defender.dexterity())) {
        result.flags |= CombatResult::kMiss;
        return 0;
    }
    return 1;
}

int CombatRules::weapon_matchup(Actor& attacker, Actor& defender) const {
    const MonsterActor* monster = as_monster(defender);
    const ItemRecord* item = current_record(attacker);
    if (!as_hero(attacker) || !monster || !monster->record() || !item) return kMatchupNormal;
    int32_t weakness = 0;
    if (item->kind == kItemWeapon) weakness = monster->record()->physical_weakness;
    else if (item->kind == kItemWand) weakness = monster->record()->magic_weakness;
    else return kMatchupNormal;
    if (weakness == 3) return kMatchupStrong;
    if (weakness > 3) return kMatchupWeak;
    if (weakness < 0) return kMatchupNormal;
    const int32_t a = item->sub_kind % 3;
    if (weakness == a) return kMatchupStrong;
    if (weakness == (a + 1) % 3) return kMatchupNormal;
    return kMatchupWeak;
}

// Item name, matchup and the arrow rule, shared by both damage kinds.
void CombatRules::note_attack(Actor& attacker, Actor& defender, CombatResult& result) {
    if (const ItemRecord* item = current_record(attacker)) {
        result.item = item;
        result.item_name = item->name;
    }
    // The matchup shown is always the hero's weapon against the monster.
    result.matchup = hero_ && monster_ ? weapon_matchup(*hero_, *monster_) : weapon_matchup(attacker, defender);
    if (!as_hero(attacker) && difficulty() == 1) result.hide_matchup_arrow = true;
}

int64_t CombatRules::apply_matchup(Actor& attacker, Actor& defender, int64_t base) const {
    switch (weapon_matchup(attacker, defender)) {
    case kMatchupWeak: return base * 80 / 100;
    case kMatchupStrong: return base * 120 / 100;
    default: return base;
    }
}

int64_t CombatRules::spread(int64_t base, int32_t power) {
    base = std::max<int64_t>(base, power);
    if (base < 5) base = runtime_rand() % 5 + 4;
    return base * (100 + runtime_rand() % 10) / 100;
}

// A monster left with 1 or 2 hit points dies instead; a killing blow shows
// as a hard hit, never as critical.
void CombatRules::deal(Actor& defender, CombatResult& result, int64_t damage, bool physical) {
    int32_t dealt = clamp_to_i32(damage);
    const int32_t hp = defender.hit_points;
    if (as_monster(defender) && int64_t(hp) - dealt < 3) dealt = std::max(hp, 0);
    if (dealt >= hp) {
        dealt = std::max(hp, 0);
        result.flags = (result.flags & ~(CombatResult::kHit | CombatResult::kHardHit | CombatResult::kCritical)) |
                       CombatResult::kHardHit;
    }
    result.damage = dealt;
    defender.take_damage(dealt, physical);
}

void CombatRules::physical_damage(Actor& attacker, Actor& defender, CombatResult& result, bool forced) {
    if (!test_hit(attacker, defender, result) && !forced) return;
    note_attack(attacker, defender, result);
    const int64_t s = attacker.strength();
    const int64_t d = defender.defence();
    int64_t base = std::min(12 * s, (s + 2) * s * 5 / divisor(d + 2));
    base = apply_matchup(attacker, defender, base);
    result.flags |= s > d && s > d * 3 / 2 ? CombatResult::kHardHit : CombatResult::kHit;
    int64_t damage = spread(clamp_to_i32(base), clamp_to_i32(s));
    if (result.critical()) {
        result.flags = (result.flags & ~CombatResult::kHit) | CombatResult::kHardHit;
        damage = as_hero(attacker) ? damage * 2 : damage * 3 / 2;
    }
    deal(defender, result, damage, true);
}

void CombatRules::magic_damage(Actor& attacker, Actor& defender, CombatResult& result, bool forced) {
    const ItemRecord* item = current_record(attacker);
    if (item && !attacker.can_use_magic(*item)) return;
    if (!test_magic_hit(attacker, defender, result) && !forced) return;
    note_attack(attacker, defender, result);
    const int64_t k = attacker.knowledge();
    const int64_t r = ((int64_t(defender.defence()) + defender.resistance()) * 10 + 5) / 20;
    int64_t base = std::min(12 * k, (k + 2) * k * 5 / divisor(r + 2));
    base = apply_matchup(attacker, defender, base);
    const int64_t damage = spread(clamp_to_i32(base), clamp_to_i32(k));
    result.flags |= k > r && k >= r * 3 / 2 ? CombatResult::kHardHit : CombatResult::kHit;
    deal(defender, result, damage, false);
}

void CombatRules::use_item(Actor& user, Actor&, CombatResult& result) {
    const ItemRecord* item = current_record(user);
    if (!item) return;
    result.item = item;
    result.item_name = item->name;
    result.boost_kind = item->sub_kind;
    result.amount = item->value;
    HeroActor* hero = as_hero(user);
    if (item->sub_kind == 0) {
        const MonsterActor* monster = as_monster(user);
        const int32_t limit = hero ? hero->max_hit_points : monster ? monster->max_hit_points : user.hit_points;
        if (int64_t(user.hit_points) + item->value > limit)
            result.amount = clamp_to_i32(int64_t(limit) - user.hit_points);
        user.heal(item->value);
        return;
    }
    const int32_t value = item->value;
    if (hero) {
        // The hero's getters add the bonus to his combat attribute, so the
        // boost is the bonus alone: what the text says he gained.
        int32_t* bonuses[] = {&hero->bonus_dexterity, &hero->bonus_strength, &hero->bonus_defence,
                              &hero->bonus_knowledge, &hero->bonus_resistance};
        if (item->sub_kind <= 5) *bonuses[item->sub_kind - 1] = value;
        return;
    }
    switch (item->sub_kind) {
    case 1: user.raise_dexterity(value); break;
    case 2: user.raise_strength(value); break;
    case 3: user.raise_defence(value); break;
    case 4: user.raise_knowledge(value); break;
    case 5: user.raise_resistance(value); break;
    default: break;
    }
}

int CombatRules::resolve_attack(Actor& attacker, Actor& defender, CombatResult& result) {
    result.clear();
    if (HeroActor* hero = as_hero(attacker)) {
        result.refusal = hero->can_attack();
        if (result.refusal != 0) return result.refusal;
    }
    InventoryEntry* entry = attacker.current_item;
    const ItemRecord* item = entry ? entry->item : nullptr;
    if (!item) return 0;
    switch (item->kind) {
    case kItemWeapon: physical_damage(attacker, defender, result, false); break;
    case kItemWand: magic_damage(attacker, defender, result, false); break;
    case kItemUsable: use_item(attacker, defender, result); break;
    default: break;
    }
    result.item = item;
    result.item_name = item->name;
    if (!result.missed() && attacker.use_up_item(entry)) result.used_up = 1;
    return 0;
}

bool CombatRules::choose_monster_weapon(MonsterActor& monster, HeroActor&) {
    if (monster.current_item && monster.current_item->uses <= 0) {
        monster.remove_entry(monster.current_item);
        monster.current_item = nullptr;
    }
    if (monster.hit_points <= 0) return monster.current_item != nullptr;
    const Inventory& items = monster.inventory;
    if (items.empty()) {
        monster.current_item = nullptr;
    } else if (items.size() == 1) {
        monster.current_item = items[0].get();
    } else if (std::all_of(items.begin(), items.end(), [](const auto& e) { return is_usable(*e); })) {
        // Only usable items: the first one, rather than drawing forever.
        monster.current_item = items[0].get();
    } else {
        monster.current_item = draw_entry(*this, items, [](const InventoryEntry& e) { return !is_usable(e); });
    }
    return monster.current_item != nullptr;
}

bool CombatRules::monster_can_strike() const {
    if (!monster_) return false;
    const Inventory& items = monster_->inventory;
    return std::any_of(items.begin(), items.end(), [](const auto& e) { return e && is_arm(*e); });
}

void CombatRules::parting_attack(CombatResult& result) {
    result.clear();
    if (random_raw() % 100 < 50 || !hero_ || !monster_) return;
    MonsterActor& monster = *monster_;
    const Inventory& items = monster.inventory;
    if (monster.hit_points <= 0 || items.empty()) return;
    if (items.size() == 1) {
        monster.current_item = items[0].get();
    } else {
        // Only a weapon or a wand answers a flight; without one nothing does.
        if (std::none_of(items.begin(), items.end(), [](const auto& e) { return is_arm(*e); })) return;
        monster.current_item = draw_entry(*this, items, is_arm);
    }
    const int32_t before = hero_->hit_points;
    const int32_t kind = monster.current_item->item ? monster.current_item->item->kind : 0;
    if (kind == kItemWeapon) {
        result.flags = CombatResult::kHardHit;
        physical_damage(monster, *hero_, result, true);
    } else if (kind == kItemWand) {
        magic_damage(monster, *hero_, result, true);
    }
    const int32_t max = hero_->max_hit_points;
    if (hero_->hit_points <= 0 && before > max / 4) {
        hero_->hit_points = max / 8 + 5;
        result.damage = before - hero_->hit_points;
    }
}

int32_t CombatRules::flight_gold_loss() {
    const uint32_t c = random(3);
    if (!hero_ || c == 0) return 0;
    const int64_t gold = hero_->gold;
    const int64_t percent = c == 1 ? 10 : 25;
    const int32_t loss = clamp_to_i32(std::min(gold * percent / 100, gold));
    hero_->gold -= loss;
    return loss;
}

// --- victory -------------------------------------------------------------------------

int CombatRules::compute_reward(CombatReward& reward) {
    reward.clear();
    if (!hero_ || !monster_) return 0;
    const uint32_t d = random_raw() % (difficulty() == 2 ? 10 : 15);
    if (d == 0) reward.item_id = roll_item_drop();
    if (reward.item_id == 0) reward.gold = roll_gold();
    if (reward.gold == 0 && reward.item_id == 0) reward.gold = int32_t(random(10)) + 10;

    if (const MonsterRecord* record = monster_->record()) {
        for (const ActionList::Entry& e : record->reward_actions.entries()) {
            if (!e.action) continue;
            if (e.action->code != kGiveItemAction) {
                reward.queued_actions.push_back(e.action);
            } else if (world_ && world_->get_item(e.action->a)) {
                // An item that is not in the story would be shown by name
                // and given as nothing: the rolled reward stands instead.
                reward.item_id = e.action->a;
                reward.gold = 0;
            }
        }
    }
    reward.hit_points = restored_hit_points();
    reward.experience = roll_experience();

    if (reward.item_id != 0) hero_->add_item(reward.item_id);
    hero_->hit_points = clamp_to_i32(int64_t(hero_->hit_points) + reward.hit_points);
    hero_->gold = clamp_to_i32(int64_t(hero_->gold) + reward.gold);
    hero_->experience = clamp_to_i32(int64_t(hero_->experience) + reward.experience);
    if (hero_->experience >= hero_->experience_step) reward.level_up = 1;
    return reward.level_up;
}

uint32_t CombatRules::roll_item_drop() {
    if (!hero_ || !world_) return 0;
    const int32_t level = hero_->level_number;
    hero_->level_number = clamp_to_i32(int64_t(level) * 14 / 10);
    std::vector<uint32_t> ids;
    for (const auto& group : world_->item_groups)
        for (const auto& item : group->items)
            if (item->kind == kItemUsable && hero_->item_fits_level(*item)) ids.push_back(item->id);
    hero_->level_number = level;
    return ids.empty() ? 0 : ids[random_raw() % ids.size()];
}

int64_t CombatRules::monster_worth() const {
    const int64_t m = monster_ ? monster_->max_hit_points : 0;
    return m * 100 / divisor(hero_ ? hero_->max_hit_points : 0);
}

bool CombatRules::stats_generated() const {
    return monster_ && monster_->record() && !monster_->record()->fixed_stats;
}

int64_t CombatRules::rank_scaled(int64_t v) const {
    if (!stats_generated()) return v;
    return (int64_t(monster_->record()->rank) + 3) * v * 20 / 100;
}

int32_t CombatRules::roll_gold() {
    if (!monster_) return 0;
    const int64_t g = rank_scaled(monster_worth() * monster_->max_hit_points);
    const int64_t r = runtime_rand() % 20;
    return round_price(clamp_to_i32((40 + r) * g / 90000));
}

int32_t CombatRules::roll_experience() {
    if (!hero_ || !monster_) return 0;
    const int32_t level = hero_->level_number;
    int32_t divide = level < 3 ? 6 : 0;
    if (divide == 0) {
        if (difficulty() == 0) divide = level < 5 ? 10 : 15;
        else divide = level < 5 ? 8 : 10;
    }
    const int64_t q = hero_->experience_step / divide;
    int64_t e = rank_scaled(monster_worth()) * q;
    if (monster_->encounter) e = e * 7 / 10;
    return std::max(round_price(clamp_to_i32(e / 100)), 10);
}

int32_t CombatRules::restored_hit_points() const {
    if (!hero_ || hero_->hit_points <= 0) return 0;
    return std::max(0, clamp_to_i32((int64_t(start_hit_points_) - hero_->hit_points) / 2));
}

// --- monsters and gear -----------------------------------------------------------------

int32_t CombatRules::generate_monster_stats(MonsterActor& monster) {
    const MonsterRecord* record = monster.record();
    const int32_t L = hero_ ? hero_->level_number : 1;
    const int32_t rank = record ? record->rank : 2;
    const int32_t klass = record ? record->monster_class : 0;
    const bool known_rank = rank >= 0 && rank <= 4;
    const bool known_class = klass >= 0 && klass <= 6;
    const int32_t diff = difficulty();

    int64_t hp = int64_t(L) * 15 + 25;
    const int32_t level_percent = known_rank ? kLevelPercent[diff][rank] : 100;
    const int32_t b = clamp_to_i32((int64_t(L) * level_percent + 50) / 100);

    // An unknown class keeps the record's defence and resistance and its
    // hit points, and shares its points as class 0 does.
    const MonsterClass& c = kClasses[known_class ? klass : 0];
    if (known_class) {
        monster.defence_ = tenths_of(b, c.defence_tenths);
        monster.resistance_ = tenths_of(b, c.resistance_tenths);
        hp = hp * c.hit_point_percent / 100;
    }

    int32_t* attributes[3] = {&monster.dexterity_, &monster.strength_, &monster.knowledge_};
    int order[3] = {0, 1, 2};
    std::stable_sort(order, order + 3, [&](int x, int y) { return c.order[x] < c.order[y]; });
    monster.level_number = b;
    for (int32_t* a : attributes) *a = 1;
    int32_t remaining = b;
    for (int i = 0; i < 3 && remaining > 0; ++i) {
        const int which = order[i];
        int32_t share = remaining;
        if (i < 2) share = int32_t(std::min<int64_t>(remaining, (int64_t(b) * c.weight[which] + 50) / 100));
        share = std::max(share, 1);
        *attributes[which] += share;
        remaining -= share;
    }

    if (rank >= 0 && rank <= 3) {
        hp = int64_t(kHitPointPercent[diff][rank]) * hp / 100;
    } else if (rank == 4) {
        hp = hp * std::min<int64_t>(kHitPointPercent[diff][4], (int64_t(b) + 25) * 4) / 100;
    }
    if (known_class && klass == 4) {
        monster.strength_ = clamp_to_i32((int64_t(monster.strength_) * 200 + 50) / 100);
        monster.knowledge_ = clamp_to_i32((int64_t(monster.knowledge_) * 200 + 50) / 100);
    }
    monster.hit_points = round_price(clamp_to_i32(hp));
    monster.max_hit_points = monster.hit_points;
    return monster.hit_points;
}

void CombatRules::wear_out_gear() {
    if (!hero_ || !hero_->hit) return;
    if (hero_->armour && hero_->use_up_item(hero_->armour)) {
        hero_->armour = nullptr;
        hero_->armour_lost = true;
    }
    if (hero_->shield && hero_->use_up_item(hero_->shield)) {
        hero_->shield = nullptr;
        hero_->shield_lost = true;
    }
}
