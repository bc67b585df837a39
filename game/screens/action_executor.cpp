#include "game/screens/action_executor.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "engine/app/frame_loop.h"
#include "engine/core/text_helpers.h"
#include "game/screens/talking_state.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/session/game_screen_state.h"
#include "game/session/story_placement.h"
#include "game/sound/sound_manager.h"
#include "game/story/npc_record.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/npc_actor.h"
#include "game/world/rewards.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kTile = 32;

void skip(const Action& action, const char* why, uint32_t value) {
    std::fprintf(stderr, "tarrowind: action %03X skipped: %s %08X\n", unsigned(action.code), why, unsigned(value));
}

GameState* find_screen(Game& game, std::string_view name) {
    for (GameState* state : game.states())
        if (state->name() == name) return state;
    return nullptr;
}

WalkingState* walking_screen(Game& game) { return dynamic_cast<WalkingState*>(find_screen(game, kWalkingScreen)); }

std::string current_screen_name(Game& game) {
    const GameState* state = game.current_state();
    return state ? state->name() : std::string(kWalkingScreen);
}

// --- items and gold -----------------------------------------------------------

void show_item_notice(Game& game, const std::string& return_state, uint32_t item_id, int32_t amount) {
    ItemNotice& notice = game.screen_subjects.item_notice;
    notice = {return_state, item_id, amount};
    enter_screen(game, kItemNoticeScreen, &notice);
}

void change_gold(Game& game, const std::string& return_state, int64_t amount) {
    HeroActor& hero = game.world().hero();
    const int64_t gold = std::clamp<int64_t>(int64_t(hero.gold) + amount, INT32_MIN, INT32_MAX);
    hero.gold = int32_t(gold);
    show_item_notice(game, return_state, 0, int32_t(std::clamp<int64_t>(amount, INT32_MIN, INT32_MAX)));
}

void give_or_take_item(Game& game, const Action& action, const std::string& return_state) {
    World& world = game.world();
    if (!world.get_item(action.a)) return skip(action, "no item", action.a);
    const bool give = action.code == kActGiveItem;
    if (give) world.hero_add_item(action.a);
    else world.hero_remove_item(action.a);
    show_item_notice(game, return_state, action.a, give ? 1 : -1);
}

void take_gold(Game& game, const Action& action, const std::string& return_state) {
    // Compared unsigned: never more than the hero has.
    const uint32_t taken = std::min(action.a, uint32_t(game.world().hero().gold));
    change_gold(game, return_state, -int64_t(taken));
}

void item_reward(Game& game, const std::string& return_state) {
    World& world = game.world();
    bool had_candidates = false;
    const uint32_t item = random_item_reward(world, &had_candidates);
    if (!had_candidates) return change_gold(game, return_state, gold_reward(world.hero()));
    if (item == 0) return;
    world.hero_add_item(item);
    show_item_notice(game, return_state, item, 1);
}

// --- the hero -----------------------------------------------------------------------

void heal(HeroActor& hero, uint32_t amount) {
    const int64_t healed = std::min<int64_t>(int64_t(hero.hit_points) + amount, hero.max_hit_points);
    hero.hit_points = int32_t(std::max<int64_t>(healed, INT32_MIN));
}

void restore_hero(HeroActor& hero) {
    hero.hit_points = hero.max_hit_points;
    for (int32_t* attribute :
         {&hero.dexterity_, &hero.strength_, &hero.defence_, &hero.knowledge_, &hero.resistance_})
        if (*attribute < INT32_MAX) ++*attribute;
}

void change_hero_looks(Game& game, const Action& action) {
    World& world = game.world();
    HeroActor& hero = world.hero();
    std::array<uint8_t, kBodyPartCount> looks{};
    if (action.a != 0) {
        const std::shared_ptr<NpcRecord> npc = world.get_or_load_npc(action.a);
        if (!npc) return skip(action, "no person", action.a);
        looks = npc->body;
    }
    hero.premade = looks[kPremade];
    hero.body = looks[kBody];
    hero.head = looks[kHead];
    hero.hair = looks[kHair];
    // A new sprite in the new clothes.
    hero.detach_sprite();
    if (MapLevel* level = world.current_level()) hero.attach_sprite(game.first_layer(), level);
}

// --- screens -------------------------------------------------------------------------

void open_story(Game& game, const Action& action) {
    if (action.text.empty()) return skip(action, "no text", 0);
    game.screen_subjects.story_text = action.text;
    enter_screen(game, kStoryScreen, &game.screen_subjects.story_text);
}

void open_shop(Game& game, const Action& action) {
    std::shared_ptr<NpcRecord> keeper = game.world().get_or_load_npc(action.a);
    if (!keeper) return skip(action, "no person", action.a);
    game.screen_subjects.shop = {std::move(keeper), uint16_t(action.b & 0xFFFF), uint16_t(action.b >> 16), action.c};
    enter_screen(game, kShopScreen, &game.screen_subjects.shop);
}

void open_talk(Game& game, const Action& action) {
    std::shared_ptr<NpcRecord> partner = game.world().get_or_load_npc(action.a);
    if (!partner) return skip(action, "no person", action.a);
    game.screen_subjects.talk_partner = std::move(partner);
    enter_screen(game, kTalkingScreen, game.screen_subjects.talk_partner.get());
}

// Only a conversation on screen has a portrait to change.
void change_portrait_part(Game& game, const Action& action) {
    if (auto* talking = dynamic_cast<TalkingState*>(game.current_state()))
        talking->set_face_part(int32_t(action.a), int32_t(action.b));
}

void end_game(Game& game, int32_t kind) {
    game.screen_subjects.ending = kind;
    enter_screen(game, kEndOfGameScreen, &game.screen_subjects.ending);
}

// A scripted sequence step: the walking screen runs it.
WalkingState* enter_scripted_walk(Game& game) {
    enter_screen(game, kWalkingScreen, WalkingState::kEnterScripted);
    return walking_screen(game);
}

// --- flags ------------------------------------------------------------------------------

void set_flag(Game& game, const Action& action, int32_t value, int32_t hi_value) {
    FlagRecord* flag = game.world().get_flag(action.a);
    if (!flag) return skip(action, "no flag", action.a);
    flag->value = value;
    flag->hi_value = hi_value;
}

// --- travel ------------------------------------------------------------------------------

void change_level(Game& game, const Action& action, uint32_t level_id, uint32_t position) {
    if (!game.world().get_level(level_id)) return skip(action, "no level", level_id);
    game.post_transition(kTransitionFadeOut, kTransitionChangeLevel, level_id, position);
}

void take_stairs(Game& game, const Action& action) {
    World& world = game.world();
    const MapLevel* here = world.current_level();
    if (!here || !here->map) return skip(action, "no level", world.current_level_id());
    const auto& levels = here->map->levels;
    const auto at = std::find_if(levels.begin(), levels.end(), [&](const auto& l) { return l.get() == here; });
    if (at == levels.end()) return skip(action, "level off its map's list", here->id);
    const ptrdiff_t index = (at - levels.begin()) + (action.a ? -1 : 1);
    if (index < 0 || index >= ptrdiff_t(levels.size())) return skip(action, "no level beyond", here->id);
    const HeroActor& hero = world.hero();
    const int32_t column = (hero.x + 16) / kTile, row = (hero.y + 26) / kTile;
    const int32_t side = here->is_passable(column, row);
    const uint32_t position = uint32_t(column + (action.a ? -side : side)) + 65536u * uint32_t(row);
    change_level(game, action, levels[size_t(index)]->id, position);
}

void change_level_by_flag(Game& game, const Action& action) {
    const FlagRecord* flag = game.world().get_flag(action.a);
    if (!flag) return skip(action, "no flag", action.a);
    change_level(game, action, uint32_t(flag->value), uint32_t(flag->hi_value));
}

void walk_npc(Game& game, const Action& action) {
    NpcActor* walker = nullptr;
    for (const auto& actor : game.world().npc_actors)
        if (actor->record() && actor->record()->id == action.a) {
            walker = actor.get();
            break;
        }
    if (!walker) return skip(action, "no person on the map", action.a);
    // From a conversation too the walk is scripted: the health message of a
    // night's sleep has nothing to do with it.
    if (WalkingState* walking = enter_scripted_walk(game)) walking->follow(walker);
    walker->path.push_back({uint16_t(action.b & 0xFFFF), uint16_t(action.b >> 16)});
}

void focus_camera(Game& game, Point focus) {
    game.set_scripted_focus(focus);
    game.start_pan();
    game.follow_camera();
    enter_scripted_walk(game);
}

// --- tiles and people ----------------------------------------------------------------------

void change_tile_field(Game& game, const Action& action) {
    MapLevel* level = game.world().get_level(action.a);
    if (!level) return skip(action, "no level", action.a);
    const int32_t x = int32_t(action.b & 0xFFFF), y = int32_t(action.b >> 16);
    if (!level->contains(x, y)) return skip(action, "tile outside the level", action.b);
    const uint16_t field = uint16_t(action.c & 0xFFFF);
    level->set_tile_field(x, y, field, action.c >> 16, true);
    game.rebuild_cell(x, y, field >= 4 && field <= 7);
}

void toggle_tile(Game& game, const Action& action) {
    World& world = game.world();
    MapLevel* level = world.get_level(action.a);
    if (!level) return skip(action, "no level", action.a);
    // A level of a region not read yet gets its grid first, so that the
    // change is made and logged (seen on arrival, kept in saves).
    if (!world.load_level_grid(*level)) return skip(action, "no tile grid", action.a);
    const int state = (action.b & 0x8000) ? 0 : 1;
    // Mode 1 is the wall's state bit, mode 0 the cell's (or its object's).
    const int mode = action.expression.holds(world) ? 1 : 0;
    if (level->toggle_tile_state(int(action.b & 0x7FFF), int(action.b >> 16), mode, state))
        game.refresh_if_current_level(level->id);
}

void place_person(Game& game, const Action& action) {
    World& world = game.world();
    std::shared_ptr<NpcRecord> npc = world.get_or_load_npc(action.a);
    MapLevel* level = world.get_level(action.b);
    if (!npc) return skip(action, "no person", action.a);
    if (!level) return skip(action, "no level", action.b);
    place_npc(game, std::move(npc), *level, packed_tile_pixels(action.c));
}

void place_monster_action(Game& game, const Action& action) {
    World& world = game.world();
    MonsterRecord* monster = world.get_or_load_monster(action.a);
    MapLevel* level = world.get_level(action.b);
    if (!monster) return skip(action, "no monster", action.a);
    if (!level) return skip(action, "no level", action.b);
    place_monster(game, *monster, *level, packed_tile_pixels(action.c));
}

// --- sound ---------------------------------------------------------------------------------

void play_sound(const Action& action) {
    if (g_sound_manager) g_sound_manager->play_sound(utf8_to_utf16(action.text), 256, -1, false);
}

void run_code(Game& game, const Action& action, const std::string& here) {
    World& world = game.world();
    HeroActor& hero = world.hero();
    switch (action.code) {
    case kActGiveItem:
    case kActTakeItem: return give_or_take_item(game, action, here);
    case kActGiveGold: return change_gold(game, here, int32_t(action.a));
    case kActTakeGold: return take_gold(game, action, here);
    case kActExperience: return world.add_experience(int32_t(action.a));
    case kActStory: return open_story(game, action);
    case kActShop: return open_shop(game, action);
    case kActTalk: return open_talk(game, action);
    case kActPortraitPart: return change_portrait_part(game, action);
    case kActWalkTo:
        if (WalkingState* walking = enter_scripted_walk(game)) walking->set_walk_target(packed_tile_pixels(action.b));
        return;
    case kActHeal: return heal(hero, action.a);
    case kActWait:
        if (WalkingState* walking = enter_scripted_walk(game))
            walking->set_wait_ticks(int32_t(action.a / Game::kLogicTickMs));
        return restart_scene_timers();
    case kActSleep: enter_screen(game, kSleepScreen, 0); return;
    case kActQuest: return action.b ? hero.complete_quest(action.a) : hero.add_quest(action.a);
    case kActRestore: return restore_hero(hero);
    case kActEnding1: return end_game(game, kEndingFirst);
    case kActEnding2: return end_game(game, kEndingSecond);
    case kActEnding3: return end_game(game, kEndingThird);
    case kActHeroLooks: return change_hero_looks(game, action);
    case kActHudMode: game.set_hud_mode(action.a != 0); return;
    case kActItemReward: return item_reward(game, here);
    case kActGoldReward: return change_gold(game, here, gold_reward(hero));
    case kActStats: enter_screen(game, kStatsScreen, 0); return;
    case kActAutosave: game.autosave(); return;
    case kActFlagFromExpression: return set_flag(game, action, action.expression.holds(world) ? 1 : 0, 0);
    case kActSetFlag: return set_flag(game, action, int32_t(action.b), int32_t(action.c));
    case kActStairs: return take_stairs(game, action);
    case kActChangeLevel: return change_level(game, action, action.a, action.b);
    case kActChangeLevelByFlag: return change_level_by_flag(game, action);
    case kActWalkNpc: return walk_npc(game, action);
    case kActCameraFocus: return focus_camera(game, packed_tile_pixels(action.b));
    case kActCameraRelease: return focus_camera(game, {0, 0});
    case kActTileField: return change_tile_field(game, action);
    case kActToggleTile: return toggle_tile(game, action);
    case kActPlaceNpc: return place_person(game, action);
    case kActPlaceMonster: return place_monster_action(game, action);
    case kActRemoveNpc: return remove_npcs(game, action.a);
    case kActSound: return play_sound(action);
    case kActMusic: return game.play_music(action.text, int32_t(action.b));
    case kActStopMusic: return game.stop_music();
    case kActLockedMusic:
        game.play_music(action.text, int32_t(action.b));
        game.music_locked = true;
        return;
    case kActUnlockMusic:
        game.music_locked = false;
        return game.stop_music();
    default: return;  // not an action of this game
    }
}

}  // namespace

Point packed_tile_pixels(uint32_t packed) { return {int32_t(packed & 0x7FFF) * kTile, int32_t(packed >> 16) * kTile}; }

bool enter_screen(Game& game, std::string_view name, ScreenArgument argument) {
    GameState* screen = find_screen(game, name);
    if (!screen) {
        // Said once a name: a story that names it again tells nothing new.
        static std::set<std::string, std::less<>> told;
        if (told.insert(std::string(name)).second)
            std::fprintf(stderr, "tarrowind: the story names a screen \"%.*s\" that the game does not have; staying on \"%s\"\n",
                         int(name.size()), name.data(), current_screen_name(game).c_str());
        return false;
    }
    game.switch_state(screen->name().c_str(), argument);
    return true;
}

int run_action(Game& game, const Action& action) {
    // The screen a notice returns to is the one current now, whatever later
    // actions switch to.
    run_code(game, action, current_screen_name(game));
    game.update_hud_status();
    return 0;
}
