// A monster kind of the story: its map appearance, attributes, rewards and
// what combat needs to stage the fight.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/pooled_text.h"
#include "game/story/npc_record.h"
#include "game/story/story_record.h"
#include "game/world/action.h"

class Archive;

struct MonsterRecord : StoryRecord {
    MonsterRecord() : StoryRecord(RecordKind::Monster) {}

    static constexpr const char* kDefaultCombatSprite = "combat\\monsters\\barbar.spr";
    static constexpr const char* kNoAppearAction = "<UNDEFINED>";

    PooledText name;
    uint8_t stance = 0;
    std::array<uint8_t, kBodyPartCount> body{};
    // Map parameters 1-9, kept for the map code: 1, 3, 4, 6-9 are stored as
    // i32, 2 and 5 as u8.
    std::array<int32_t, 9> map_params{};
    ActionList reward_actions;  // queued once the monster is beaten

    int32_t dexterity = 0;
    int32_t strength = 1;
    int32_t knowledge = 0;
    int32_t defence = 0;
    int32_t resistance = 0;
    int32_t hit_points = 10;
    int32_t level = 1;
    int32_t attack_kind = 0;   // 0..2
    int32_t spare_value = 0;

    PooledText combat_sprite;  // "c..." sprite definition name
    std::vector<uint32_t> item_ids;
    std::vector<std::string> item_values;  // one text per item id

    PooledText appear_action;  // combat text 1: the appearance action, or kNoAppearAction
    PooledText combat_music;   // combat text 2: the fight's music file
    int32_t music_order = 0;    // combat value 1: where that music starts
    int32_t combat_value2 = 0;  // 0..200: the combat sprite's x offset in pixels
    int32_t fixed_stats = 0;    // 0: combat generates the stats
    int32_t rank = 0;           // 0..4, stored in the file's "Class" slot
    // 0..6, the stat-generation class, stored in the file's "Weakness" slot.
    // Reading folds 6 to 0 and 5 to 3, so only stories built in memory keep
    // classes 5 and 6.
    int32_t monster_class = 0;
    int32_t physical_weakness = 0;  // combat value 3, 0..4: against weapons
    int32_t magic_weakness = 0;     // combat value 4, 0..4: against wands
    int32_t cannot_flee = 0;        // combat flag, 0..1

    // Not stored: set from "combatspr.ini" after all monsters are read.
    int32_t anchor_x = 0;
    int32_t anchor_y = 0;

    static constexpr size_t kMinStoredBytes = 80;

    // The id is read here but registered by the loader.
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    // The clamps and defaults applied after reading.
    void validate();

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // MonsterRecord, or a const MonsterRecord when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
