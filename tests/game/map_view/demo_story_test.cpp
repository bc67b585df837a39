// The compiled demo story against its source, and the loaders against every
// truncation and byte flip of its files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/core/string_pool.h"
#include "game/map_view/tile_kinds.h"
#include "game/story/item_record.h"
#include "game/story/story_file_io.h"
#include "game/story/story_source.h"
#include "game/world/world.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<uint8_t>>;

const std::string kFolder = "Story";

Files demo_files() {
    Files files;
    for (const auto& entry : fs::directory_iterator(fs::path(NIMBREL_DEMO_DATA_DIR) / "Story")) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 4 || name == "." || !entry.is_regular_file()) continue;
        const std::string ext = name.substr(name.size() - 4);
        if (ext != ".rpg" && ext != ".npc" && ext != ".mon" && ext != ".itm" && ext != ".trg" && ext != ".rgn")
            continue;
        files[name] = *read_story_file(entry.path().string());
    }
    return files;
}

void serve(World& world, const Files& files) {
    world.file_reader = [&files](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        const std::string name = path.substr(path.rfind('/') + 1);
        auto it = files.find(name);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
}

struct SourceStory {
    World world;
    StoryFolderPlan plan;
    SourceStory() {
        std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/data/story/demo.story");
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_TRUE(parse_story_source(text.str(), world, plan).empty());
        EXPECT_TRUE(validate_story(world, plan).empty());
    }
};

void expect_same_actions(const ActionList& a, const ActionList& b, const std::string& where) {
    ASSERT_EQ(a.size(), b.size()) << where;
    for (size_t i = 0; i < a.size(); ++i) {
        const Action& x = *a.entries()[i].action;
        const Action& y = *b.entries()[i].action;
        EXPECT_EQ(a.entries()[i].position, b.entries()[i].position) << where;
        EXPECT_EQ(std::tie(x.code, x.a, x.b, x.c, x.text), std::tie(y.code, y.a, y.b, y.c, y.text)) << where;
        EXPECT_EQ(x.expression, y.expression) << where;
    }
}

TEST(DemoStory, CompiledStoryMatchesItsSource) {
    SourceStory source;
    Files files = demo_files();
    World world;
    serve(world, files);
    ASSERT_TRUE(world.load_story(kFolder)) << world.last_error();
    EXPECT_TRUE(world.warnings().empty());
    EXPECT_TRUE(world.people_from_files);
    EXPECT_EQ(files.at("00.npc"), (std::vector<uint8_t>{0x23, 0, 0, 0, 0}));
    EXPECT_EQ(world.stored_level_id, source.world.stored_level_id);

    ASSERT_EQ(world.regions.size(), source.world.regions.size());
    for (size_t r = 0; r < world.regions.size(); ++r) {
        MapRegion& loaded = *world.regions[r];
        const MapRegion& src = *source.world.regions[r];
        EXPECT_EQ(std::tie(loaded.id, loaded.name), std::tie(src.id, src.name));
        ASSERT_TRUE(world.load_region(loaded)) << world.last_error();
        ASSERT_EQ(loaded.maps.size(), src.maps.size());
        for (size_t m = 0; m < src.maps.size(); ++m) {
            const Map& lm = *loaded.maps[m];
            const Map& sm = *src.maps[m];
            EXPECT_EQ(std::tie(lm.id, lm.name, lm.music, lm.music_loop, lm.params),
                      std::tie(sm.id, sm.name, sm.music, sm.music_loop, sm.params));
            ASSERT_EQ(lm.levels.size(), sm.levels.size());
            for (size_t l = 0; l < sm.levels.size(); ++l) {
                const MapLevel& a = *lm.levels[l];
                const MapLevel& b = *sm.levels[l];
                EXPECT_EQ(std::tie(a.id, a.name, a.width, a.height, a.params, a.music, a.music_loop, a.weather,
                                   a.combat_background),
                          std::tie(b.id, b.name, b.width, b.height, b.params, b.music, b.music_loop, b.weather,
                                   b.combat_background));
                EXPECT_EQ(a.grid, b.grid) << "level " << a.id;
                ASSERT_EQ(a.encounters.size(), b.encounters.size());
                for (size_t e = 0; e < a.encounters.size(); ++e) {
                    EXPECT_EQ(a.encounters[e].monster_id, b.encounters[e].monster_id);
                    EXPECT_EQ(a.encounters[e].value, b.encounters[e].value);
                    EXPECT_EQ(a.encounters[e].expression, b.encounters[e].expression);
                }
            }
        }
    }

    for (const auto& src : source.world.item_groups) {
        for (const auto& item : src->items) {
            ItemRecord expected = *item;
            expected.validate();
            const ItemRecord* got = world.get_item(item->id);
            ASSERT_NE(got, nullptr) << item->name;
            EXPECT_EQ(std::tie(got->name, got->text2, got->text3, got->text4, got->kind, got->value, got->sub_kind,
                               got->count, got->price, got->aim, got->priceless),
                      std::tie(expected.name, expected.text2, expected.text3, expected.text4, expected.kind,
                               expected.value, expected.sub_kind, expected.count, expected.price, expected.aim,
                               expected.priceless));
            EXPECT_EQ(world.item_group_of(item->id)->id, src->id);
        }
    }

    for (const auto& src : source.world.monsters) {
        MonsterRecord expected;
        expected.combat_sprite = src->combat_sprite;
        expected.validate();
        const MonsterRecord* got = world.get_monster(src->id);
        ASSERT_NE(got, nullptr) << src->name;
        EXPECT_EQ(std::tie(got->name, got->stance, got->body, got->hit_points, got->level, got->dexterity,
                           got->strength, got->knowledge, got->defence, got->resistance, got->attack_kind),
                  std::tie(src->name, src->stance, src->body, src->hit_points, src->level, src->dexterity,
                           src->strength, src->knowledge, src->defence, src->resistance, src->attack_kind));
        EXPECT_EQ(got->combat_sprite, expected.combat_sprite);
        EXPECT_EQ(std::tie(got->item_ids, got->item_values, got->appear_action, got->rank, got->monster_class,
                           got->physical_weakness, got->magic_weakness, got->cannot_flee, got->fixed_stats),
                  std::tie(src->item_ids, src->item_values, src->appear_action, src->rank, src->monster_class,
                           src->physical_weakness, src->magic_weakness, src->cannot_flee, src->fixed_stats));
        expect_same_actions(got->reward_actions, src->reward_actions, src->name);
    }

    ASSERT_TRUE(world.people.empty());
    for (const auto& src : source.world.people) {
        std::shared_ptr<NpcRecord> got = world.get_or_load_npc(src->id);
        ASSERT_NE(got, nullptr) << src->name;
        EXPECT_EQ(std::tie(got->name, got->stance, got->body, got->face),
                  std::tie(src->name, src->stance, src->body, src->face));
        ASSERT_EQ(got->topics.size(), src->topics.size());
        for (size_t t = 0; t < src->topics.size(); ++t) {
            const NpcTopic& a = got->topics[t];
            const NpcTopic& b = src->topics[t];
            EXPECT_EQ(std::tie(a.key, a.reply, a.chosen_reply, a.request, a.hide_flag),
                      std::tie(b.key, b.reply, b.chosen_reply, b.request, b.hide_flag));
            EXPECT_EQ(a.expression, b.expression);
            expect_same_actions(a.actions, b.actions, a.key);
        }
    }

    for (const auto& src : source.world.flags) {
        const FlagRecord* got = world.get_flag(src->id);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(std::tie(got->value, got->hi_value), std::tie(src->value, src->hi_value));
    }
    for (const auto& src : source.world.quests) {
        const Quest* got = world.get_quest(src->id);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(std::tie(got->name, got->text1, got->text2), std::tie(src->name, src->text1, src->text2));
    }

    for (const auto& [level, triggers] : source.plan.level_triggers) {
        world.clear_triggers();
        ASSERT_TRUE(world.load_trigger_file(level));
        ASSERT_EQ(world.triggers.size(), triggers.size());
        for (size_t t = 0; t < triggers.size(); ++t) {
            const Trigger& a = *world.triggers[t];
            const Trigger& b = *triggers[t];
            EXPECT_EQ(std::tie(a.id, a.repeatable, a.value), std::tie(b.id, b.repeatable, b.value));
            EXPECT_EQ(a.expression, b.expression);
            expect_same_actions(a.actions, b.actions, "trigger");
        }
    }
}

// Loads everything the game reads of a story: story.rpg, every region,
// person and trigger file. Returns whether all of it loaded.
bool load_everything(World& world, const SourceStory& source) {
    if (!world.load_story(kFolder)) return false;
    EXPECT_NE(world.first_level(), nullptr);
    bool ok = true;
    for (const auto& region : world.regions) ok = world.load_region(*region) && ok;
    for (const auto& person : source.world.people) ok = world.get_or_load_npc(person->id) != nullptr && ok;
    for (const auto& [level, triggers] : source.plan.level_triggers) {
        world.clear_triggers();
        ok = world.load_trigger_file(level) && ok;
    }
    return ok;
}

size_t pool_bytes_used() {
    size_t used = 0;
    for (int32_t i = 0; i < g_string_pool->block_count(); ++i) used += g_string_pool->block(i)->used;
    return used;
}

// The texts the records hand to the string pool, by kind of record.
std::map<std::string, std::vector<PooledText>> pooled_texts(const World& world) {
    std::map<std::string, std::vector<PooledText>> texts;
    auto actions = [&texts](const ActionList& list) {
        for (const auto& entry : list.entries())
            if (entry.action->form() == ActionForm::TwoNumbersText) texts["action"].push_back(entry.action->text);
    };
    for (const auto& m : world.monsters) {
        texts["monster"].insert(texts["monster"].end(), {m->name, m->combat_sprite, m->appear_action, m->combat_music});
        actions(m->reward_actions);
    }
    for (const auto& group : world.item_groups) {
        texts["item group"].push_back(group->name);
        for (const auto& i : group->items) texts["item"].insert(texts["item"].end(), {i->name, i->text2, i->text3, i->text4});
    }
    for (const auto& region : world.regions)
        for (const auto& map : region->maps)
            for (const auto& level : map->levels) texts["level music"].push_back(level->music);
    for (const auto& trigger : world.triggers) actions(trigger->actions);
    for (const auto& npc : world.people)
        for (const auto& topic : npc->topics) actions(topic.actions);
    return texts;
}

TEST(DemoStory, RecordStringsLiveInTheStringPoolAndRereadingAddsNothing) {
    SourceStory source;
    const Files files = demo_files();
    string_pool_create();
    {
        World world;
        serve(world, files);
        ASSERT_TRUE(load_everything(world, source));
        const auto texts = pooled_texts(world);
        for (const char* kind : {"monster", "item group", "item", "level music", "action"}) {
            ASSERT_TRUE(texts.count(kind)) << kind;
            size_t pooled = 0;
            for (const PooledText& text : texts.at(kind)) {
                if (text.empty()) continue;
                EXPECT_TRUE(g_string_pool->holds(text.c_str())) << kind << " \"" << text << "\"";
                ++pooled;
            }
            EXPECT_GT(pooled, 0u) << kind;
        }
        // People and triggers come back with each visit to their level, and
        // a story may be read again: equal texts keep their one copy.
        const size_t used = pool_bytes_used();
        ASSERT_TRUE(load_everything(world, source));
        EXPECT_EQ(pool_bytes_used(), used);
    }
    string_pool_destroy();
}

TEST(DemoStory, EveryItemsIconHasItsPicture) {
    SourceStory story;
    for (const auto& group : story.world.item_groups)
        for (const auto& item : group->items) {
            const std::u16string file = tile_file_name(kTileItem, tile_file_number(kTileItem, item->icon()));
            EXPECT_TRUE(fs::exists(fs::path(NIMBREL_DEMO_DATA_DIR) / fs::path(file))) << item->name;
        }
}

TEST(DemoStory, EveryTruncationFailsCleanly) {
    SourceStory source;
    const Files original = demo_files();
    Files files = original;
    World world;
    serve(world, files);
    ASSERT_TRUE(load_everything(world, source));
    for (const auto& [name, bytes] : original) {
        for (size_t length = 0; length < bytes.size(); ++length) {
            files[name].assign(bytes.begin(), bytes.begin() + length);
            // Only the presence of "00.npc" matters (no person is stored in
            // it), and a trigger file without its mark counts as absent.
            const bool still_fine = (name == "00.npc" && length >= 1) ||
                                    (name.ends_with(".trg") && length == 0);
            EXPECT_EQ(load_everything(world, source), still_fine) << name << " cut to " << length << " bytes";
        }
        files[name] = bytes;
    }
}

TEST(DemoStory, ByteFlipsNeverBreakTheLoaders) {
    SourceStory source;
    const Files original = demo_files();
    Files files = original;
    World world;
    serve(world, files);
    size_t refused = 0, loaded = 0;
    for (const auto& [name, bytes] : original) {
        for (size_t at = 0; at < bytes.size(); ++at) {
            files[name][at] = uint8_t(bytes[at] ^ 0xA5);
            (load_everything(world, source) ? loaded : refused)++;
            files[name][at] = bytes[at];
        }
    }
    // Most flips hit counts, lengths, ids or sizes and are refused; flips in
    // texts and plain values load. Both must happen without harm.
    EXPECT_GT(refused, 0u);
    EXPECT_GT(loaded, 0u);
}

}  // namespace
