// Which action codes, condition kinds, trigger kinds and record features the
// demo story uses where a player meets them, read from the story the build
// compiled with the game's own readers, against demo_features.txt; and the
// README section made from both.
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
    // Each feature used, with the first place a player meets it.
    std::map<std::string, std::string> used;
    std::vector<std::string> faults;

    explicit StoryUsage(World& world) : world_(world) {
        for (const auto& region : world.regions) {
            if (!world.load_region(*region)) faults.push_back(world.last_error());
            for (const auto& map : region->maps)
                for (const auto& level : map->levels) {
                    region_of_[level->id] = region->id;
                    place_ = "region " + region->name + ", level " + level->name;
                    if (lower(region->name + map->name + level->name).find("verworld") != std::string::npos)
                        use("level-verworld");
                    const std::string music = level->music.empty() ? std::string(map->music) : std::string(level->music);
                    if (!music.empty()) music_of_[region->id].insert(lower(music));
                }
        }
        start_region_ = region_of_[world.first_level() ? world.first_level()->id : 0];
        for (const auto& region : world.regions)
            for (const auto& map : region->maps)
                for (const auto& level : map->levels) note_level(*level);
        place_ = "every region";
        note_regions_music();
        while (!people_.empty() || !monsters_.empty()) {
            if (!people_.empty()) note_person(take(people_));
            else note_monster(take(monsters_));
        }
        place_.clear();
        for (uint32_t id : shopkeepers_)
            if (auto person = world.get_or_load_npc(id)) place_ += (place_.empty() ? "" : ", ") + person->name;
        if (shopkeepers_.size() >= 3) use("three-shopkeepers");
    }

private:
    World& world_;
    std::map<uint32_t, uint32_t> region_of_;
    std::map<uint32_t, std::set<std::string>> music_of_;
    uint32_t start_region_ = 0;
    std::deque<uint32_t> people_, monsters_;
    std::set<uint32_t> seen_;
    std::set<uint32_t> shopkeepers_;

    std::string place_;  // where the records being read are met

    void use(const std::string& feature) { used.emplace(feature, place_); }

    static uint32_t take(std::deque<uint32_t>& queue) {
        const uint32_t id = queue.front();
        queue.pop_front();
        return id;
    }
    void meet(std::deque<uint32_t>& queue, uint32_t id) {
        if (seen_.insert(id).second) queue.push_back(id);
    }

    void note_level(MapLevel& level) {
        place_ = level.name;
        for (const TileCell& cell : level.grid) {
            if (cell.shade & 0x3F) use("tile-shade");
            if (cell.trees & 0x1F && cell.trees >> 6) use("tile-trees");
            if (cell.decor) use("tile-decoration");
            if (cell.object) use("tile-object");
            if (cell.state) use("tile-animated-object");
            if (cell.wall >> 30 == 0 && cell.wall) use("tile-wall-32");
            if (cell.wall >> 30 == 2 && (cell.wall & 0xFFFFFF)) use("tile-wall-16");
        }
        for (LevelEdge edge : {LevelEdge::Up, LevelEdge::Left, LevelEdge::Down, LevelEdge::Right})
            if (level.exit_level(edge) && level.exit_position(edge)) {
                use("level-edge-exit");
                note_move(level.id, level.exit_level(edge));
            }
        if (level.weather) use("level-weather");
        for (const Encounter& encounter : level.encounters) {
            place_ = level.name + ", encounters";
            use("encounter");
            if (!encounter.expression.empty()) use("encounter-condition");
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
            place_ = level.name + ", trigger " + hex_id(trigger->id);
            bool located = false;
            for (const Condition& c : trigger->expression.conditions)
                if (c.base_kind() == 6 && !c.negated()) {
                    located = true;
                    use(c.aux & 1 ? "trigger-act" : "trigger-step");
                }
            if (!located) use("trigger-anywhere");
            use(trigger->repeatable ? "trigger-repeat" : "trigger-once");
            note_expression(trigger->expression);
            note_actions(trigger->actions, level.id);
        }
    }

    void note_expression(const Expression& expression) {
        for (const Condition& c : expression.conditions)
            use((c.negated() ? "condition-not-" : "condition-") + std::to_string(c.base_kind()));
    }

    // `level` is the level the actions run on, 0 when not known.
    void note_actions(const ActionList& actions, uint32_t level) {
        for (const auto& entry : actions.entries()) {
            const Action& a = *entry.action;
            use("action-" + hex_code(a.code));
            note_expression(a.expression);
            switch (a.code) {
            case 0x202:
                shopkeepers_.insert(a.a);
                if (a.c == 0) use("shop-sell");
                switch (a.b & 0xFFFF) {
                case 1: use("shop-weapons"); break;
                case 2: use("shop-wands"); break;
                case 3: use("shop-potions"); break;
                case 4: case 5: use("shop-armour"); break;
                }
                [[fallthrough]];
            case 0x203: case 0x20E: case 0x404: case 0x503:
                if (a.a) meet(people_, a.a);
                break;
            case 0x505: meet(monsters_, a.a); break;
            case 0x209: use(a.b ? "quest-done" : "quest-added"); break;
            case 0x402: if (level) note_move(level, a.a); break;
            case 0x502:
                if (region_of_.count(a.a) && region_of_[a.a] != start_region_) use("toggle-other-region");
                break;
            }
        }
    }

    void note_move(uint32_t from, uint32_t to) {
        if (region_of_.count(to) && region_of_[from] != region_of_[to]) use("region-change");
    }

    void note_regions_music() {
        if (world_.regions.size() < 2) return;
        for (const auto& [region, music] : music_of_)
            for (const auto& [other, other_music] : music_of_)
                if (region != other && std::find_first_of(music.begin(), music.end(), other_music.begin(),
                                                          other_music.end()) != music.end())
                    return;
        if (music_of_.size() == world_.regions.size()) use("regions-own-music");
    }

    void note_person(uint32_t id) {
        std::shared_ptr<NpcRecord> person = world_.get_or_load_npc(id);
        if (!person) return faults.push_back("person " + hex_id(id) + " is named but not stored");
        place_ = person->name;
        const int kind = person->stance == 10 ? 0 : person->stance;
        if (kind <= 9) use("person-behaviour-" + std::to_string(kind));
        for (const NpcTopic& topic : person->topics) {
            place_ = person->name + ", topic \"" + topic.key + "\"";
            if (topic.hide_flag) use("topic-hidden");
            note_expression(topic.expression);
            note_actions(topic.actions, 0);
        }
    }

    void note_monster(uint32_t id) {
        const MonsterRecord* monster = world_.get_or_load_monster(id);
        if (!monster) return faults.push_back("monster " + hex_id(id) + " is named but not stored");
        place_ = "monster " + monster->name.str();
        if (monster->fixed_stats) {
            use("monster-fixed");
        } else {
            use("monster-rank-" + std::to_string(monster->rank));
            use("monster-class-" + std::to_string(monster->monster_class));
        }
        if (monster->cannot_flee) use("monster-noflee");
        if (monster->appear_action != MonsterRecord::kNoAppearAction) use("monster-appear");
        for (uint32_t item_id : monster->item_ids) {
            const ItemRecord* item = world_.get_item(item_id);
            if (!item) continue;
            if (item->kind == kItemWeapon) use("monster-weapon");
            if (item->kind == kItemWand) use("monster-wand");
            if (item->kind == kItemUsable) use("monster-drinks");
        }
        for (const auto& entry : monster->reward_actions.entries())
            use(entry.action->code == 0x101 ? "defeat-item" : "defeat-actions");
        note_actions(monster->reward_actions, 0);
    }
};

// demo_features.txt: the features to show, one a line ("name  meaning"),
// then the sections [unreachable] (with the reason) and [not yet in the demo].
struct FeatureList {
    std::map<std::string, std::string> wanted, unreachable;
    std::vector<std::string> order;  // of the wanted features
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
            if (section.empty() && !repeated) order.push_back(name);
            if (section.empty()) wanted[name] = meaning;
            else if (section == "[unreachable]") unreachable[name] = meaning;
            else if (section == "[not yet in the demo]") not_yet.insert(name);
            else faults.push_back("unknown section " + section);
        }
    }
};

const std::string list_path = "tests/game/world/demo_features.txt";
const std::string readme_path = "data/story/README.md";
const std::string readme_heading = "## Where each feature is shown\n";

std::string read_source(const std::string& path) {
    std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The README's section: the features the story shows, in the list's order,
// with the first place a player meets each.
std::string where_section(const FeatureList& list, const StoryUsage& story) {
    std::string text = readme_heading +
                       "\nMade by the coverage test (tests/game/world/demo_coverage_test.cpp) from the compiled story "
                       "and the list of features beside it; when they change, the test gives the new section.\n\n"
                       "| feature | what it is | first met in |\n|---|---|---|\n";
    auto cell = [](std::string s) {
        for (size_t at = s.find('|'); at != std::string::npos; at = s.find('|', at + 2)) s.insert(at, "\\");
        return s;
    };
    for (const std::string& name : list.order)
        if (auto it = story.used.find(name); it != story.used.end())
            text += "| `" + name + "` | " + cell(list.wanted.at(name)) + " | " + cell(it->second) + " |\n";
    return text;
}

TEST(DemoCoverage, TheStoryUsesEveryListedFeature) {
    World world;
    ASSERT_TRUE(world.load_story(std::string(NIMBREL_DEMO_DATA_DIR) + "/Story")) << world.last_error();
    StoryUsage story(world);
    for (const std::string& fault : story.faults) ADD_FAILURE() << fault;

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

TEST(DemoCoverage, ReadmeShowsWhereEachFeatureIs) {
    World world;
    ASSERT_TRUE(world.load_story(std::string(NIMBREL_DEMO_DATA_DIR) + "/Story")) << world.last_error();
    const StoryUsage story(world);
    const FeatureList list(std::string(NIMBREL_SOURCE_DIR) + "/" + list_path);
    const std::string expected = where_section(list, story);

    // The section runs from its heading to the next heading or the end.
    const std::string readme = read_source(readme_path);
    const size_t start = readme.find(readme_heading);
    std::string section;
    if (start != std::string::npos) {
        const size_t end = readme.find("\n## ", start);
        section = readme.substr(start, end == std::string::npos ? end : end + 1 - start);
        while (section.ends_with("\n\n")) section.pop_back();
    }
    if (section != expected) {
        const std::string made = std::string(NIMBREL_BINARY_DIR) + "/demo_features_where.md";
        std::ofstream(made) << expected;
        ADD_FAILURE() << readme_path << ": its section \"" << readme_heading.substr(3, readme_heading.size() - 4)
                      << "\" is not the one the story and " << list_path << " give: replace it (or add it at the end) with "
                      << made << ":\n" << expected;
    }
}

}  // namespace
