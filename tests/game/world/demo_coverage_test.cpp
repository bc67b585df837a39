// Which action codes, condition kinds, trigger kinds and record features the
// demo story uses where a player meets them, read from the story the build
// compiled with the game's own readers, against demo_features.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "game/world/world.h"

namespace {

std::string hex_code(uint16_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03X", unsigned(code));
    return text;
}

std::string hex_id(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", unsigned(id));
    return text;
}

std::string lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every feature the test can tell apart; the list file must name each.
std::set<std::string> all_features() {
    std::set<std::string> names;
    const uint16_t codes[] = {0x101, 0x102, 0x103, 0x104, 0x105, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206,
                              0x207, 0x208, 0x209, 0x20A, 0x20B, 0x20C, 0x20D, 0x20E, 0x20F, 0x210, 0x211,
                              0x212, 0x213, 0x301, 0x302, 0x401, 0x402, 0x403, 0x404, 0x405, 0x406, 0x501,
                              0x502, 0x503, 0x505, 0x506, 0x601, 0x602, 0x603, 0x604, 0x605};
    for (uint16_t code : codes) names.insert("action-" + hex_code(code));
    for (int kind = 1; kind <= 10; ++kind) {
        names.insert("condition-" + std::to_string(kind));
        names.insert("condition-not-" + std::to_string(kind));
    }
    for (int kind = 0; kind <= 9; ++kind) names.insert("person-behaviour-" + std::to_string(kind));
    for (int rank = 0; rank <= 4; ++rank) names.insert("monster-rank-" + std::to_string(rank));
    for (int cls = 0; cls <= 6; ++cls) names.insert("monster-class-" + std::to_string(cls));
    for (const char* name :
         {"trigger-step", "trigger-act", "trigger-anywhere", "trigger-once", "trigger-repeat", "tile-shade",
          "tile-wall-32", "tile-wall-16", "tile-trees", "tile-decoration", "tile-object", "tile-animated-object",
          "level-verworld", "level-edge-exit", "level-weather", "region-change", "regions-own-music",
          "toggle-other-region", "shop-weapons", "shop-wands", "shop-potions", "shop-armour", "shop-sell",
          "three-shopkeepers", "quest-added", "quest-done", "topic-hidden", "encounter",
          "encounter-condition", "monster-weapon", "monster-wand", "monster-drinks", "monster-noflee",
          "monster-appear", "monster-fixed", "defeat-item", "defeat-actions"})
        names.insert(name);
    return names;
}

// What the story uses, gathered from everything a player can reach: the
// levels, their triggers and encounters, and the people and monsters those
// name (and the ones these name in turn).
class StoryUsage {
public:
    std::set<std::string> used;
    std::vector<std::string> faults;

    explicit StoryUsage(World& world) : world_(world) {
        for (const auto& region : world.regions) {
            if (!world.load_region(*region)) faults.push_back(world.last_error());
            for (const auto& map : region->maps)
                for (const auto& level : map->levels) {
                    region_of_[level->id] = region->id;
                    if (lower(region->name + map->name + level->name).find("verworld") != std::string::npos)
                        used.insert("level-verworld");
                    const std::string music = level->music.empty() ? std::string(map->music) : std::string(level->music);
                    if (!music.empty()) music_of_[region->id].insert(lower(music));
                }
        }
        start_region_ = region_of_[world.first_level() ? world.first_level()->id : 0];
        for (const auto& region : world.regions)
            for (const auto& map : region->maps)
                for (const auto& level : map->levels) note_level(*level);
        note_regions_music();
        while (!people_.empty() || !monsters_.empty()) {
            if (!people_.empty()) note_person(take(people_));
            else note_monster(take(monsters_));
        }
        if (shopkeepers_.size() >= 3) used.insert("three-shopkeepers");
    }

private:
    World& world_;
    std::map<uint32_t, uint32_t> region_of_;
    std::map<uint32_t, std::set<std::string>> music_of_;
    uint32_t start_region_ = 0;
    std::deque<uint32_t> people_, monsters_;
    std::set<uint32_t> seen_;
    std::set<uint32_t> shopkeepers_;

    static uint32_t take(std::deque<uint32_t>& queue) {
        const uint32_t id = queue.front();
        queue.pop_front();
        return id;
    }
    void meet(std::deque<uint32_t>& queue, uint32_t id) {
        if (seen_.insert(id).second) queue.push_back(id);
    }

    void note_level(MapLevel& level) {
        for (const TileCell& cell : level.grid) {
            if (cell.shade & 0x3F) used.insert("tile-shade");
            if (cell.trees & 0x1F && cell.trees >> 6) used.insert("tile-trees");
            if (cell.decor) used.insert("tile-decoration");
            if (cell.object) used.insert("tile-object");
            if (cell.state) used.insert("tile-animated-object");
            if (cell.wall >> 30 == 0 && cell.wall) used.insert("tile-wall-32");
            if (cell.wall >> 30 == 2 && (cell.wall & 0xFFFFFF)) used.insert("tile-wall-16");
        }
        for (LevelEdge edge : {LevelEdge::Up, LevelEdge::Left, LevelEdge::Down, LevelEdge::Right})
            if (level.exit_level(edge) && level.exit_position(edge)) {
                used.insert("level-edge-exit");
                note_move(level.id, level.exit_level(edge));
            }
        if (level.weather) used.insert("level-weather");
        for (const Encounter& encounter : level.encounters) {
            used.insert("encounter");
            if (!encounter.expression.empty()) used.insert("encounter-condition");
            note_expression(encounter.expression);
            meet(monsters_, encounter.monster_id);
        }
        note_triggers(level);
    }

    void note_triggers(MapLevel& level) {
        if (world_.people_from_files) {
            world_.clear_triggers();
            if (!world_.load_trigger_file(level.id)) faults.push_back(world_.last_error());
        }
        for (const auto& trigger : world_.triggers) {
            if (!trigger->uses_level(level.id)) {
                if (world_.people_from_files)
                    faults.push_back("trigger " + hex_id(trigger->id) + " in the file of level " +
                                     hex_id(level.id) + " names no tile or record of it, so it never fires");
                continue;
            }
            bool located = false;
            for (const Condition& c : trigger->expression.conditions)
                if (c.base_kind() == 6 && !c.negated()) {
                    located = true;
                    used.insert(c.aux & 1 ? "trigger-act" : "trigger-step");
                }
            if (!located) used.insert("trigger-anywhere");
            used.insert(trigger->repeatable ? "trigger-repeat" : "trigger-once");
            note_expression(trigger->expression);
            note_actions(trigger->actions, level.id);
        }
    }

    void note_expression(const Expression& expression) {
        for (const Condition& c : expression.conditions)
            used.insert((c.negated() ? "condition-not-" : "condition-") + std::to_string(c.base_kind()));
    }

    // `level` is the level the actions run on, 0 when not known.
    void note_actions(const ActionList& actions, uint32_t level) {
        for (const auto& entry : actions.entries()) {
            const Action& a = *entry.action;
            used.insert("action-" + hex_code(a.code));
            note_expression(a.expression);
            switch (a.code) {
            case 0x202:
                shopkeepers_.insert(a.a);
                if (a.c == 0) used.insert("shop-sell");
                switch (a.b & 0xFFFF) {
                case 1: used.insert("shop-weapons"); break;
                case 2: used.insert("shop-wands"); break;
                case 3: used.insert("shop-potions"); break;
                case 4: case 5: used.insert("shop-armour"); break;
                }
                [[fallthrough]];
            case 0x203: case 0x20E: case 0x404: case 0x503:
                if (a.a) meet(people_, a.a);
                break;
            case 0x505: meet(monsters_, a.a); break;
            case 0x209: used.insert(a.b ? "quest-done" : "quest-added"); break;
            case 0x402: if (level) note_move(level, a.a); break;
            case 0x502:
                if (region_of_.count(a.a) && region_of_[a.a] != start_region_) used.insert("toggle-other-region");
                break;
            }
        }
    }

    void note_move(uint32_t from, uint32_t to) {
        if (region_of_.count(to) && region_of_[from] != region_of_[to]) used.insert("region-change");
    }

    void note_regions_music() {
        if (world_.regions.size() < 2) return;
        for (const auto& [region, music] : music_of_)
            for (const auto& [other, other_music] : music_of_)
                if (region != other && std::find_first_of(music.begin(), music.end(), other_music.begin(),
                                                          other_music.end()) != music.end())
                    return;
        if (music_of_.size() == world_.regions.size()) used.insert("regions-own-music");
    }

    void note_person(uint32_t id) {
        std::shared_ptr<NpcRecord> person = world_.get_or_load_npc(id);
        if (!person) return faults.push_back("person " + hex_id(id) + " is named but not stored");
        const int kind = person->stance == 10 ? 0 : person->stance;
        if (kind <= 9) used.insert("person-behaviour-" + std::to_string(kind));
        for (const NpcTopic& topic : person->topics) {
            if (topic.hide_flag) used.insert("topic-hidden");
            note_expression(topic.expression);
            note_actions(topic.actions, 0);
        }
    }

    void note_monster(uint32_t id) {
        const MonsterRecord* monster = world_.get_or_load_monster(id);
        if (!monster) return faults.push_back("monster " + hex_id(id) + " is named but not stored");
        if (monster->fixed_stats) {
            used.insert("monster-fixed");
        } else {
            used.insert("monster-rank-" + std::to_string(monster->rank));
            used.insert("monster-class-" + std::to_string(monster->monster_class));
        }
        if (monster->cannot_flee) used.insert("monster-noflee");
        if (monster->appear_action != MonsterRecord::kNoAppearAction) used.insert("monster-appear");
        for (uint32_t item_id : monster->item_ids) {
            const ItemRecord* item = world_.get_item(item_id);
            if (!item) continue;
            if (item->kind == kItemWeapon) used.insert("monster-weapon");
            if (item->kind == kItemWand) used.insert("monster-wand");
            if (item->kind == kItemUsable) used.insert("monster-drinks");
        }
        for (const auto& entry : monster->reward_actions.entries())
            used.insert(entry.action->code == 0x101 ? "defeat-item" : "defeat-actions");
        note_actions(monster->reward_actions, 0);
    }
};

// demo_features.txt: the features to show, one a line ("name  meaning"),
// then the sections [unreachable] (with the reason) and [not yet in the demo].
struct FeatureList {
    std::map<std::string, std::string> wanted, unreachable;
    std::set<std::string> not_yet;
    std::vector<std::string> faults;

    explicit FeatureList(const std::string& path) {
        std::ifstream in(path);
        if (!in) faults.push_back(path + ": missing");
        std::string line, section;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            if (line[0] == '[') {
                section = line;
                continue;
            }
            std::istringstream words(line);
            std::string name, meaning;
            words >> name;
            std::getline(words >> std::ws, meaning);
            const bool repeated = section == "[not yet in the demo]"
                                      ? not_yet.count(name) > 0
                                      : wanted.count(name) > 0 || unreachable.count(name) > 0;
            if (repeated) faults.push_back("line `" + line + "` is there twice: remove one");
            if (section.empty()) wanted[name] = meaning;
            else if (section == "[unreachable]") unreachable[name] = meaning;
            else if (section == "[not yet in the demo]") not_yet.insert(name);
            else faults.push_back("unknown section " + section);
        }
    }
};

TEST(DemoCoverage, TheStoryUsesEveryListedFeature) {
    World world;
    ASSERT_TRUE(world.load_story(std::string(NIMBREL_DEMO_DATA_DIR) + "/Story")) << world.last_error();
    StoryUsage story(world);
    for (const std::string& fault : story.faults) ADD_FAILURE() << fault;

    const std::string list_path = "tests/game/world/demo_features.txt";
    FeatureList list(std::string(NIMBREL_SOURCE_DIR) + "/" + list_path);
    for (const std::string& fault : list.faults) ADD_FAILURE() << list_path << ": " << fault;

    for (const std::string& name : all_features())
        if (!list.wanted.count(name) && !list.unreachable.count(name))
            ADD_FAILURE() << list_path << ": add a line for `" << name << "` (name and meaning)";
    const std::set<std::string> known = all_features();
    for (const auto& [name, meaning] : list.wanted)
        if (!known.count(name)) ADD_FAILURE() << list_path << ": remove the line `" << name << "`: no such feature";

    for (const auto& [name, meaning] : list.wanted) {
        const bool used = story.used.count(name) > 0;
        if (!used && !list.not_yet.count(name))
            ADD_FAILURE() << "the demo story does not use `" << name << "` (" << meaning
                          << "): add it to the story, or the line `" << name << "` under [not yet in the demo] of "
                          << list_path;
        if (used && list.not_yet.count(name))
            ADD_FAILURE() << "the demo story now uses `" << name << "`: remove the line `" << name
                          << "` from [not yet in the demo] of " << list_path;
    }
    for (const std::string& name : list.not_yet)
        if (!list.wanted.count(name))
            ADD_FAILURE() << list_path << ": remove the line `" << name
                          << "` from [not yet in the demo]: it is no feature of the list";
    for (const auto& [name, reason] : list.unreachable)
        if (story.used.count(name))
            ADD_FAILURE() << "the demo story uses `" << name << "`, listed as unreachable (" << reason
                          << "): move the line out of [unreachable] of " << list_path;
}

}  // namespace
