#include "game/session/story_placement.h"

#include <algorithm>

#include "game/session/game.h"
#include "game/story/npc_record.h"
#include "game/world/map_level.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

void attach_if_shown(Game& game, Actor& actor, MapLevel& level) {
    if (game.world().current_level() == &level) actor.attach_sprite(game.first_layer(), &level);
}

NpcActor* place_npc(Game& game, std::shared_ptr<NpcRecord> record, MapLevel& level, Point at) {
    World& world = game.world();
    const uint32_t npc_id = record->id;
    auto actor = std::make_shared<NpcActor>(&world, std::move(record));
    world.npc_actors.push_back(actor);
    level.actors.push_back(actor.get());
    actor->place(level.id, at.x, at.y, actor->facing);
    actor->home_x = at.x;
    actor->home_y = at.y;
    const auto u16 = [](int32_t v) { return uint16_t(v); };
    world.npc_placements.push_back({npc_id, level.id, u16(at.x), u16(at.y), u16(at.x), u16(at.y)});
    attach_if_shown(game, *actor, level);
    return actor.get();
}

MonsterActor* place_monster(Game& game, MonsterRecord& record, MapLevel& level, Point at) {
    World& world = game.world();
    auto actor = std::make_shared<MonsterActor>(&world, &record);
    world.monster_actors.push_back(actor);
    level.extra_actors.push_back(actor);
    actor->place(level.id, at.x, at.y, actor->facing);
    actor->home_x = at.x;
    actor->home_y = at.y;
    attach_if_shown(game, *actor, level);
    return actor.get();
}

void remove_npcs(Game& game, uint32_t npc_id) {
    World& world = game.world();
    auto& actors = world.npc_actors;
    for (auto it = actors.begin(); it != actors.end();) {
        NpcActor& actor = **it;
        if (!actor.record() || actor.record()->id != npc_id) {
            ++it;
            continue;
        }
        if (actor.level) std::erase(actor.level->actors, static_cast<Actor*>(&actor));
        actor.detach_sprite();
        if (game.followed_actor == &actor) game.followed_actor = nullptr;
        it = actors.erase(it);
    }
    std::erase_if(world.npc_placements, [npc_id](const NpcPlacement& p) { return p.npc_id == npc_id; });
}

void remove_monster(Game& game, MonsterActor& monster) {
    World& world = game.world();
    monster.detach_sprite();
    if (monster.level) std::erase_if(monster.level->extra_actors, [&](const auto& a) { return a.get() == &monster; });
    std::erase_if(world.monster_actors, [&](const auto& m) { return m.get() == &monster; });
}
