#include "game/world/rewards.h"

#include <vector>

#include "engine/core/crt_random.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

int32_t gold_reward(const HeroActor& hero) {
    // Bad saves can hold any maximum; the product is kept in 64 bits.
    const int64_t reward = int64_t(crt_rand() % 25 + 50) * hero.max_hit_points * 5 / 800;
    const int64_t clamped = reward > INT32_MAX ? INT32_MAX : reward < INT32_MIN ? INT32_MIN : reward;
    return round_price(int32_t(clamped));
}

uint32_t random_item_reward(World& world, bool* had_candidates) {
    HeroActor& hero = world.hero();
    const int32_t level = hero.level_number;
    // The reward is chosen for a hero a little stronger than this one.
    hero.level_number = int32_t(int64_t(level) * 14 / 10);
    std::vector<uint32_t> candidates;
    for (const auto& group : world.item_groups) {
        if (group->group_kind == kItemUsable || group->group_kind == kItemQuest) continue;
        for (const auto& item : group->items)
            if (hero.item_fits_level(*item)) candidates.push_back(item->id);
    }
    hero.level_number = level;
    if (had_candidates) *had_candidates = !candidates.empty();
    if (candidates.empty()) return 0;
    return candidates[size_t(world.random()) % candidates.size()];
}
