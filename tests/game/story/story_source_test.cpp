#include "game/story/story_source.h"

#include <gtest/gtest.h>

#include "game/world/world.h"

namespace {

const char* kSmallStory = R"(
story start=0x11
legend "." bg=1 tile=64
legend "#" bg=1 wall=5   # a wall
region 0x1 "vale"
map 0x10 "road"
level 0x11 "town" width=3 height=2 right=0x12
row "#.#"
row "..."
level 0x12 "wood" width=2 height=1 left=0x11 weather=0x203
row ".#"
encounter monster=0x30 value=5
when kind=8 value=2
monster 0x30 "Rat" hp=20 sprite="crat.spr"
loot 0x41 value="tail"
group 0x40 "Blades" kind=1
item 0x41 "Knife" value=2 text2="Sharp."
npc 0x50 "Ann" body=0,1,2,3 face=1,2,3,4,5,6,7,8 clothes=9
topic "[main]:Hello#1" reply="Hi \"there\"\nfriend" request="Bye"
do 0x103 a=10 pos=5
do 0x201 text="first"
do 0x101 a=0x41 pos=0
trigger 0x60
when kind=6 aux=1 id=0x11 value=(2,1) not=1
do 0x501 a=0x11 b=(1,0) c=5
)";

std::vector<StorySourceError> parse(const std::string& text, World& world, StoryFolderPlan& plan) {
    return check_story_source(text, world, plan);
}

TEST(StorySource, ParsesEveryKindOfStatement) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse(kSmallStory, world, plan);
    for (const auto& e : errors) ADD_FAILURE() << e.line << ": " << e.message;
    EXPECT_EQ(world.stored_level_id, 0x11u);
    ASSERT_EQ(world.regions.size(), 1u);
    const Map& map = *world.regions[0]->maps[0];
    ASSERT_EQ(map.levels.size(), 2u);
    const MapLevel& town = *map.levels[0];
    EXPECT_EQ(town.name, "Town");
    EXPECT_EQ(town.exit_level(LevelEdge::Right), 0x12u);
    ASSERT_EQ(town.grid.size(), 6u);
    EXPECT_EQ(town.grid[0].wall, 5u);
    EXPECT_EQ(town.grid[1].tile, 64);
    EXPECT_EQ(map.levels[1]->weather, 0x203u);
    ASSERT_EQ(map.levels[1]->encounters.size(), 1u);
    EXPECT_EQ(map.levels[1]->encounters[0].expression.conditions[0].kind, 8);

    const NpcRecord& ann = *world.people[0];
    EXPECT_EQ(ann.face[kFaceClothes], 9);
    EXPECT_EQ(ann.face[kFaceHead], 8);
    const NpcTopic& topic = ann.topics[0];
    EXPECT_EQ(topic.reply, "Hi \"there\"\nfriend");
    ASSERT_EQ(topic.actions.size(), 3u);
    // Positions given or implied (the line order): 0, 1 (implied), 5.
    EXPECT_EQ(topic.actions.entries()[0].action->code, 0x101);
    EXPECT_EQ(topic.actions.entries()[1].action->code, 0x201);
    EXPECT_EQ(topic.actions.entries()[1].action->text, "first");
    EXPECT_EQ(topic.actions.entries()[2].action->code, 0x103);

    const Trigger& trigger = *world.triggers[0];
    ASSERT_EQ(trigger.expression.conditions.size(), 1u);
    EXPECT_EQ(trigger.expression.conditions[0], (Condition{0x86, 1, 0x11, 2 | 1 << 16}));
    EXPECT_EQ(trigger.actions.entries()[0].action->b, 1u);
    EXPECT_EQ(world.monsters[0]->item_values, std::vector<std::string>{"tail"});
}

// The first error of a story made of kSmallStory's head and `tail`.
std::string first_error(const std::string& tail) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse(std::string(kSmallStory) + tail, world, plan);
    return errors.empty() ? "" : errors[0].message;
}

TEST(StorySource, ReportsMistakesWithTheirLine) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse_story_source("region 0x1 \"a\"\nbogus 1\nmap 0x2 \"b\" volume=3\n", world, plan);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_NE(errors[0].message.find("bogus"), std::string::npos);
    EXPECT_EQ(errors[1].line, 3);
    EXPECT_NE(errors[1].message.find("volume"), std::string::npos);

    EXPECT_NE(first_error("flag 0x41 \"TAKEN\"\n").find("already taken"), std::string::npos);
    EXPECT_NE(first_error("flag 0 \"ZERO\"\n").find("ids are"), std::string::npos);
    EXPECT_NE(first_error("do 0x101 a=0x99\n").find("is no item"), std::string::npos);
    EXPECT_NE(first_error("do 0x503 a=0x50 b=0x41\n").find("not a level"), std::string::npos);
    EXPECT_NE(first_error("topic \"[main]:k:two words\"\n").find("one word"), std::string::npos);
    EXPECT_NE(first_error("item 0x42 \"Big\" value=70000\n").find("outside"), std::string::npos);
    EXPECT_NE(first_error("npc 0x51 \"B\" body=1,2\n").find("takes 4 values"), std::string::npos);
    EXPECT_NE(first_error("quest 0x70 \"Q\" text1=\"open\n").find("closing quote"), std::string::npos);
    EXPECT_NE(first_error("do 0x206 a=1 c=4\n").find("keeps no c"), std::string::npos);
    EXPECT_NE(first_error("level 0x13 \"x\" width=2 height=2\nrow \"..\"\n").find("1 rows, not 2"),
              std::string::npos);
    EXPECT_NE(first_error("level 0x13 \"x\" width=251 height=2\n").find("outside"), std::string::npos);
    EXPECT_NE(first_error("level 0x13 \"x\" width=2 height=1\nrow \".?\"\n").find("no legend"), std::string::npos);
    EXPECT_NE(first_error("level 0x13 \"x\" width=2 height=1\nrow \"...\"\n").find("2 wide"), std::string::npos);
    EXPECT_NE(first_error("monster 0x31 \"M\" sprite=\"rat.spr\"\n").find("start with"), std::string::npos);
    EXPECT_EQ(first_error(""), "");
}

// Faults found once the whole story is read name the line of what they
// concern, and codes as the source spells them. kSmallStory ends on line
// 25: each tail starts on line 26.
TEST(StorySource, FaultsOfTheWholeStoryNameTheirLine) {
    struct Case {
        const char* tail;
        const char* fault;  // "LINE: message" of the first fault
        bool warning;
    };
    const Case cases[] = {
        {"item 0x41 \"Again\"\n", "26: id 0x41 of an item is already taken by an item (line 17)", false},
        {"flag 0x41 \"TAKEN\"\n", "26: id 0x41 of a flag is already taken by an item (line 17)", false},
        {"region 0x10 \"x\"\n", "26: id 0x10 of a region is already taken by a map (line 6)", false},
        {"do 0x503 a=0x2fff b=0x11\n", "26: trigger 0x60: action 0x503's person 0x2fff is no person", false},
        {"do 1283 a=0x2fff b=0x11\n", "26: trigger 0x60: action 1283's person 0x2fff is no person", false},
        {"\n\ndo 0x503 a=0x50 b=0x41\n", "28: trigger 0x60: action 0x503's level 0x41 is an item, not a level", false},
        {"when kind=3 id=0x99\n", "26: trigger 0x60: condition's flag 0x99 is no flag", false},
        {"topic \"Hi\" hide=0x99\n", "26: person 0x50, topic \"Hi\"'s hiding flag 0x99 is no flag", false},
        {"encounter monster=0x99\n", "26: level 0x12: encounter's monster 0x99 is no monster", false},
        {"level 0x13 \"x\" width=1 height=1 right=0x77\nrow \".\"\n", "26: level 0x13: exit 0x77 is no level", false},
        {"story start=0x99\n", "26: start level 0x99 is no level", false},
        {"monster 0x31 \"Ghost\" sprite=\"cghost.spr\" noflee=1\nloot 0x41\n", "", false},
        {"monster 0x31 \"Ghost\" sprite=\"cghost.spr\" noflee=1\n",
         "26: monster 0x31 forbids flight but carries no weapon or wand to strike with; the hero may flee it all "
         "the same",
         true},
    };
    for (const Case& c : cases) {
        World world;
        StoryFolderPlan plan;
        const auto found = check_story_source(std::string(kSmallStory) + c.tail, world, plan);
        const std::string first = found.empty() ? "" : std::to_string(found[0].line) + ": " + found[0].message;
        EXPECT_EQ(first, c.fault) << c.tail;
        EXPECT_EQ(!found.empty() && found[0].warning, c.warning) << c.tail;
        EXPECT_EQ(has_errors(found), !found.empty() && !c.warning) << c.tail;
    }
}

// What combat, the inventory and the shop read: every key lands in the
// record field they use.
TEST(StorySource, CombatKeysFillTheFieldsCombatReads) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse(std::string(kSmallStory) +
                                  "monster 0x31 \"Boar\" sprite=\"cboar.spr\" appear=\"snort\" music=\"music/b.xm\" "
                                  "order=3 offset=25 fixed=1 rank=4 class=2 physical=1 magic=3 noflee=1\n"
                                  "loot 0x41 value=\"tusk\"\n"
                                  "do 0x101 a=0x42\n"
                                  "item 0x42 \"Tonic\" kind=3 icon=86 action=\"drink\" use=\"You drink it.\"\n"
                                  "item 0x43 \"Stick\"\n",
                              world, plan);
    for (const auto& e : errors) ADD_FAILURE() << e.line << ": " << e.message;
    ASSERT_EQ(world.monsters.size(), 2u);
    const MonsterRecord& boar = *world.monsters[1];
    EXPECT_EQ(std::tie(boar.appear_action, boar.combat_music, boar.music_order, boar.combat_value2),
              std::make_tuple(std::string("snort"), std::string("music/b.xm"), 3, 25));
    EXPECT_EQ(std::tie(boar.fixed_stats, boar.rank, boar.monster_class, boar.physical_weakness,
                       boar.magic_weakness, boar.cannot_flee),
              std::make_tuple(1, 4, 2, 1, 3, 1));
    EXPECT_EQ(boar.item_values, std::vector<std::string>{"tusk"});
    ASSERT_EQ(boar.reward_actions.size(), 1u);
    EXPECT_EQ(boar.reward_actions.entries()[0].action->code, 0x101);
    // Left out: no appearance action, class 0, no offset.
    EXPECT_EQ(world.monsters[0]->appear_action, MonsterRecord::kNoAppearAction);
    EXPECT_EQ(std::tie(world.monsters[0]->monster_class, world.monsters[0]->combat_value2), std::make_tuple(0, 0));

    const auto& items = world.item_groups[0]->items;
    ASSERT_EQ(items.size(), 3u);
    const ItemRecord& tonic = *items[1];
    EXPECT_EQ(std::make_tuple(tonic.icon(), tonic.action_name(), tonic.use_text()),
              std::make_tuple(86, std::string("drink"), std::string("You drink it.")));
    const ItemRecord& stick = *items[2];
    EXPECT_EQ(std::make_tuple(stick.icon(), stick.text3, stick.action_name()),
              std::make_tuple(0, std::string("<"), std::string()));
}

TEST(StorySource, RefusesCombatValuesTheFileCannotKeep) {
    struct Case {
        const char* line;
        const char* complaint;
    };
    const Case cases[] = {
        {"monster 0x31 \"M\" sprite=\"cm.spr\" class=5\n", "outside 0 .. 4"},  // read folds 5 to 3
        {"monster 0x31 \"M\" sprite=\"cm.spr\" class=6\n", "outside 0 .. 4"},  // and 6 to 0
        {"monster 0x31 \"M\" sprite=\"cm.spr\" offset=201\n", "outside 0 .. 200"},
        {"monster 0x31 \"M\" sprite=\"cm.spr\" weakness=1\n", "does not take \"weakness\""},
        {"item 0x42 \"I\" icon=-1\n", "outside"},
        {"item 0x42 \"I\" text3=\"x\"\n", "does not take \"text3\""},
    };
    for (const Case& c : cases)
        EXPECT_NE(first_error(c.line).find(c.complaint), std::string::npos) << c.line << first_error(c.line);
}

// The first cell of a one-cell level drawn with the legend given.
TileCell legend_cell(const std::string& legend, std::string* error) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse(std::string(kSmallStory) + legend + "\nlevel 0x13 \"x\" width=1 height=1\nrow \"q\"\n",
                              world, plan);
    *error = errors.empty() ? "" : errors[0].message;
    return errors.empty() ? world.regions.at(0)->maps.at(0)->levels.at(2)->grid.at(0) : TileCell{};
}

TEST(StorySource, LegendsSpellShadeBlendsAndQuarterWalls) {
    struct Good {
        const char* legend;
        uint8_t shade;
        uint32_t wall;
    };
    const Good goods[] = {
        {"legend \"q\" bg=1 shade=3", 0x03, 0},
        {"legend \"q\" bg=1 shade=3 blend=lighten12", 0x03, 0},
        {"legend \"q\" bg=1 shade=1 blend=lighten6", 0x41, 0},
        {"legend \"q\" bg=1 shade=63 blend=darken6", 0xBF, 0},
        {"legend \"q\" bg=1 shade=2 blend=darken12", 0xC2, 0},
        // Set in bits 24..29, quarters at bits 0, 6, 12 and 18, top bits 10.
        {"legend \"q\" bg=1 quarters=1:17,18,3,4", 0, 0x81000000u | 17 | 18 << 6 | 3 << 12 | 4 << 18},
        {"legend \"q\" bg=1 quarters=63:0,0,0,30", 0, 0xBF000000u | 30u << 18},
        {"legend \"q\" bg=1 quarters=0x2:1,0,0,0", 0, 0x82000001u},
    };
    for (const Good& g : goods) {
        std::string error;
        const TileCell cell = legend_cell(g.legend, &error);
        EXPECT_EQ(error, "") << g.legend;
        EXPECT_EQ(cell.shade, g.shade) << g.legend;
        EXPECT_EQ(cell.wall, g.wall) << g.legend;
    }

    struct Bad {
        const char* legend;
        const char* complaint;
    };
    const Bad bads[] = {
        {"legend \"q\" shade=64", "outside 0 .. 63"},  // the blend has a key of its own
        {"legend \"q\" shade=1 blend=dim", "none of lighten12"},
        {"legend \"q\" blend=darken6", "needs a shade piece"},
        {"legend \"q\" quarters=1,2,3,4", "SET:TL,TR,BL,BR"},
        {"legend \"q\" quarters=0:1,2,3,4", "set 0 is outside 1 .. 63"},
        {"legend \"q\" quarters=64:1,2,3,4", "set 64 is outside"},
        {"legend \"q\" quarters=1:1,2,3", "4 pieces"},
        {"legend \"q\" quarters=1:1,2,3,31", "piece 31 is outside 0 .. 30"},  // the next set's file
        {"legend \"q\" quarters=1:1,-1,3,4", "piece -1 is outside"},
        {"legend \"q\" quarters=1:0,0,0,0", "every piece is 0"},
        {"legend \"q\" quarters=1:x,0,0,0", "not a number"},
        {"legend \"q\" wall=5 quarters=1:1,1,1,1", "not both"},
    };
    for (const Bad& b : bads) {
        std::string error;
        legend_cell(b.legend, &error);
        EXPECT_NE(error.find(b.complaint), std::string::npos) << b.legend << ": " << error;
    }
}

// A legend given after a level's rows changes the rows that follow it, not
// the level above, even before the next level begins.
TEST(StorySource, RowsTakeTheLegendsInForceWhereTheyStand) {
    World world;
    StoryFolderPlan plan;
    const auto errors = parse(std::string(kSmallStory) +
                                  "legend \"q\" bg=1\n"
                                  "level 0x13 \"x\" width=1 height=2\nrow \"q\"\n"
                                  "legend \"q\" bg=2\nrow \"q\"\n"
                                  "legend \"q\" bg=3\n",
                              world, plan);
    for (const auto& e : errors) ADD_FAILURE() << e.line << ": " << e.message;
    const MapLevel& level = *world.regions.at(0)->maps.at(0)->levels.at(2);
    ASSERT_EQ(level.grid.size(), 2u);
    EXPECT_EQ(level.grid[0].background, 1);
    EXPECT_EQ(level.grid[1].background, 2);
}

TEST(StorySource, PerIdTriggersNeedTheirLevel) {
    World world;
    StoryFolderPlan plan;
    auto errors = parse_story_source("story people_files=1\ntrigger 0x60\n", world, plan);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].message.find("names the level"), std::string::npos);

    World other;
    StoryFolderPlan other_plan;
    errors = parse_story_source("story people_files=1\ntrigger 0x60 level=0x11\n", other, other_plan);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(other.triggers.empty());
    ASSERT_EQ(other_plan.level_triggers[0x11].size(), 1u);
    // The level it names must exist.
    errors = validate_story(other, other_plan);
    ASSERT_FALSE(errors.empty());
}

}  // namespace
