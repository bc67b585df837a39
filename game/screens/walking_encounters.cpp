// The walking screen's people and monsters: their moves each tick, monsters
// that come close enough to fight, and random encounters while the hero
// walks.
#include <algorithm>
#include <vector>

#include "engine/core/crt_random.h"
#include "game/screens/action_executor.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/session/story_placement.h"
#include "game/sound/sound_manager.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kFightDistance = 20 << 16;  // 16.16 pixels

int32_t cell_index(int32_t pixels) { return std::clamp(pixels / ViewGrid::kCellPixels, 0, ViewGrid::kCells - 1); }

}  // namespace

bool WalkingState::surroundings_built(const Actor& actor) const {
    const ViewGrid& view = game->view();
    for (const int32_t cx : {cell_index(std::max(actor.x - 10, 0)), cell_index(std::max(actor.x + 10, 0))})
        for (const int32_t cy : {cell_index(std::max(actor.y - 10, 0)), cell_index(std::max(actor.y + 10, 0))})
            if (!view.has_lists(cx, cy)) return false;
    return true;
}

bool WalkingState::update_characters() {
    if (!level_) return false;
    for (Actor* person : level_->actors) {
        person->surroundings_built = surroundings_built(*person);
        person->update();
    }
    const Point hero = world->hero().position();
    // A copy: a fight may take the monster off the level.
    const std::vector<std::shared_ptr<Actor>> others = level_->extra_actors;
    for (const std::shared_ptr<Actor>& other : others) {
        other->surroundings_built = surroundings_built(*other);
        other->update();
        std::shared_ptr<MonsterActor> monster = std::dynamic_pointer_cast<MonsterActor>(other);
        if (!monster || monster->distance_to(hero) >= kFightDistance) continue;
        int32_t order = g_sound_manager ? g_sound_manager->music_pattern() : 0;
        if (order == 0) order = level_->music_loop;
        // It stays on the level after the fight.
        monster->encounter = false;
        start_combat(std::move(monster), order);
        return true;
    }
    return false;
}

void WalkingState::count_down_encounter() {
    if (--encounter_countdown_ >= 1 || !level_) return;
    std::vector<MonsterRecord*> candidates;
    for (const Encounter& encounter : level_->encounters) {
        if (!encounter.expression.holds(*world)) continue;
        MonsterRecord* monster = world->get_or_load_monster(encounter.monster_id);
        if (monster && !monster->combat_sprite.empty()) candidates.push_back(monster);
    }
    if (!candidates.empty()) {
        MonsterRecord* record = candidates[size_t(crt_rand()) % candidates.size()];
        auto monster = std::make_shared<MonsterActor>(world, record);
        monster->encounter = true;  // made for this fight only
        start_combat(std::move(monster), g_sound_manager ? g_sound_manager->music_pattern() : 0);
    }
    encounter_countdown_ = crt_rand() % 150 + 100;
}

void WalkingState::start_combat(std::shared_ptr<MonsterActor> monster, int32_t music_order) {
    game->saved_music_order = music_order;
    game->screen_subjects.opponent = std::move(monster);
    // The map fades out to white; the fight fades in from it.
    game->post_transition(kTransitionFadeOutUpper, kTransitionCombat, 0, 0);
    if (g_sound_manager) {
        g_sound_manager->flush_samples();
        g_sound_manager->play_sound(u"sfx\\magic\\dispel.wav", 255, -1, false);
    }
}

void WalkingState::begin_fight() {
    const std::shared_ptr<MonsterActor> opponent = game->screen_subjects.opponent;
    if (opponent && enter_screen(*game, kCombatScreen, opponent.get())) return;
    // No fight after all: the screen comes back.
    game->screen_subjects.opponent.reset();
    game->upper_fade().add_level(-FadeControl::kDark);
}
