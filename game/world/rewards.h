// The rewards story actions and fights hand out: gold scaled to the hero's
// strength, and a random item that suits the hero's level.
#pragma once

#include <cstdint>

class HeroActor;
class World;

// round_price((rand() % 25 + 50) x maximum hit points x 5 / 800).
int32_t gold_reward(const HeroActor& hero);

// An item id for the hero: among the items of every group that is neither
// usable nor a quest group, those that would fit a hero of 1.4 times its
// level; 0 when there is none (or the pick is an empty id).
uint32_t random_item_reward(World& world, bool* had_candidates);
