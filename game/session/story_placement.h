// People and monsters that story actions put on levels or take away. A
// person's placement is remembered by the World, so that it is there again
// after a level change or a saved game; a monster's is not.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/geometry.h"

class Game;
class MonsterActor;
class NpcActor;
class World;
struct MapLevel;
struct MonsterRecord;
struct NpcRecord;

NpcActor* place_npc(Game& game, std::shared_ptr<NpcRecord> record, MapLevel& level, Point at);
MonsterActor* place_monster(Game& game, MonsterRecord& record, MapLevel& level, Point at);
// Every person of that record leaves its level and the World, and its
// placements are forgotten.
void remove_npcs(Game& game, uint32_t npc_id);
// Shows the actor's sprite on the map when its level is the one shown.
void attach_if_shown(Game& game, class Actor& actor, MapLevel& level);
// The monster leaves its level and the World.
void remove_monster(Game& game, MonsterActor& monster);
