#include "game/world/monster_record.h"

#include "game/world/archive.h"

namespace {

// Below `low` gives `low`; above `high` gives `over`.
int32_t clamp_to(int32_t v, int32_t low, int32_t high, int32_t over) {
    if (v < low) return low;
    if (v > high) return over;
    return v;
}

// Map parameters 2 and 5 (indexes 1 and 4) are single bytes.
bool map_param_is_byte(size_t index) { return index == 1 || index == 4; }

}  // namespace

void MonsterRecord::read(Archive& ar) {
    ar.read_begin("M_MONSTER");
    id = ar.read_u32("ID");
    name = ar.read_text("Name");
    ar.read_temp_string("Text");
    stance = ar.read_u8("Stance");
    for (uint8_t& b : body) b = ar.read_u8("Body");
    for (size_t i = 0; i < map_params.size(); ++i)
        map_params[i] = map_param_is_byte(i) ? ar.read_u8("MapParam") : ar.read_i32("MapParam");
    reward_actions.read(ar);
    dexterity = ar.read_i32("Dex");
    strength = ar.read_i32("Str");
    knowledge = ar.read_i32("Knw");
    defence = ar.read_i32("Def");
    resistance = ar.read_i32("Res");
    hit_points = ar.read_i32("Hth");
    level = ar.read_i32("Level");
    attack_kind = ar.read_i32("AttackKind");
    spare_value = ar.read_i32("Spare");
    combat_sprite = ar.read_text("CombatSprite");
    const uint16_t item_count = ar.read_count("ITEMCNT", 4);
    item_ids.assign(item_count, 0);
    for (uint32_t& item : item_ids) item = ar.read_u32("ItemID");
    appear_action = ar.read_text("Appear");
    combat_music = ar.read_text("Music");
    music_order = ar.read_i32("MusicOrder");
    combat_value2 = ar.read_i32("Value2");
    const uint16_t value_count = ar.read_count("VALUECNT", 2);
    item_values.clear();
    for (uint16_t i = 0; i < value_count && !ar.failed(); ++i) item_values.push_back(ar.read_text("ItemValue"));
    fixed_stats = ar.read_i32("FixedStats");
    rank = ar.read_i32("Class");
    monster_class = ar.read_i32("Weakness");
    physical_weakness = ar.read_i32("Value3");
    magic_weakness = ar.read_i32("Value4");
    cannot_flee = ar.read_i32("Flag");
    ar.read_end("M_MONSTER");
    validate();
}

void MonsterRecord::validate() {
    dexterity = clamp_to(dexterity, 0, 10000, 10000);
    strength = clamp_to(strength, 1, 10000, 10000);
    knowledge = clamp_to(knowledge, 0, 10000, 0);
    defence = clamp_to(defence, 0, 10000, 10000);
    resistance = clamp_to(resistance, 0, 10000, 0);
    hit_points = clamp_to(hit_points, 10, 10000, 100);
    level = clamp_to(level, 1, 1000, 1);
    if (attack_kind < 0 || attack_kind > 2) attack_kind = 0;
    spare_value = clamp_to(spare_value, 0, 100000, 1000);
    combat_value2 = clamp_to(combat_value2, 0, 200, 200);
    if (fixed_stats < 0 || fixed_stats > 1) fixed_stats = 0;
    rank = clamp_to(rank, 0, 4, 2);
    monster_class = clamp_to(monster_class, 0, 6, 1);
    if (monster_class == 6) monster_class = 0;
    else if (monster_class == 5) monster_class = 3;
    physical_weakness = clamp_to(physical_weakness, 0, 4, 0);
    magic_weakness = clamp_to(magic_weakness, 0, 4, 1);
    if (cannot_flee < 0 || cannot_flee > 1) cannot_flee = 0;

    if (combat_sprite.empty() || combat_sprite[0] != 'c') combat_sprite = PooledText::literal(kDefaultCombatSprite);
    // A name that already holds a folder, with either separator, is kept.
    if (combat_sprite.view().find_first_of("/\\") == std::string::npos)
        combat_sprite = "combat/monsters/" + combat_sprite;

    if (item_values.size() < item_ids.size()) item_values.assign(item_ids.size(), std::string());
    else item_values.resize(item_ids.size());
}

void MonsterRecord::write(Archive& ar) const {
    ar.write_begin("M_MONSTER", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_string("Name", name);
    ar.write_string("Text", nullptr);
    ar.write_u8("Stance", stance);
    for (uint8_t b : body) ar.write_u8("Body", b);
    for (size_t i = 0; i < map_params.size(); ++i) {
        if (map_param_is_byte(i)) ar.write_u8("MapParam", uint32_t(map_params[i]));
        else ar.write_u32("MapParam", uint32_t(map_params[i]));
    }
    reward_actions.write(ar);
    ar.write_u32("Dex", uint32_t(dexterity));
    ar.write_u32("Str", uint32_t(strength));
    ar.write_u32("Knw", uint32_t(knowledge));
    ar.write_u32("Def", uint32_t(defence));
    ar.write_u32("Res", uint32_t(resistance));
    ar.write_u32("Hth", uint32_t(hit_points));
    ar.write_u32("Level", uint32_t(level));
    ar.write_u32("AttackKind", uint32_t(attack_kind));
    ar.write_u32("Spare", uint32_t(spare_value));
    ar.write_string("CombatSprite", combat_sprite);
    ar.write_count("ITEMCNT", item_ids.size());
    for (uint32_t item : item_ids) ar.write_u32("ItemID", item);
    ar.write_string("Appear", appear_action);
    ar.write_string("Music", combat_music);
    ar.write_u32("MusicOrder", uint32_t(music_order));
    ar.write_u32("Value2", uint32_t(combat_value2));
    ar.write_count("VALUECNT", item_values.size());
    for (const std::string& v : item_values) ar.write_string("ItemValue", v);
    ar.write_u32("FixedStats", uint32_t(fixed_stats));
    ar.write_u32("Class", uint32_t(rank));
    ar.write_u32("Weakness", uint32_t(monster_class));
    ar.write_u32("Value3", uint32_t(physical_weakness));
    ar.write_u32("Value4", uint32_t(magic_weakness));
    ar.write_u32("Flag", uint32_t(cannot_flee));
    ar.write_end("M_MONSTER");
}
