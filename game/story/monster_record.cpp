#include "game/story/monster_record.h"

#include "game/story/archive.h"

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

template <class Self>
void MonsterRecord::fields(Self& self, Archive& ar) {
    ar.begin("M_MONSTER", kRecordVersion);
    ar.u32("ID", self.id);
    ar.text("Name", self.name);
    ar.unkept_text("Text");
    ar.u8("Stance", self.stance);
    for (auto& b : self.body) ar.u8("Body", b);
    for (size_t i = 0; i < self.map_params.size(); ++i) {
        if (map_param_is_byte(i)) ar.u8("MapParam", self.map_params[i]);
        else ar.u32("MapParam", self.map_params[i]);
    }
    ar.record(self.reward_actions);
    ar.u32("Dex", self.dexterity);
    ar.u32("Str", self.strength);
    ar.u32("Knw", self.knowledge);
    ar.u32("Def", self.defence);
    ar.u32("Res", self.resistance);
    ar.u32("Hth", self.hit_points);
    ar.u32("Level", self.level);
    ar.u32("AttackKind", self.attack_kind);
    ar.u32("Spare", self.spare_value);
    ar.text("CombatSprite", self.combat_sprite);
    ar.values<uint32_t>("ITEMCNT", self.item_ids);
    ar.text("Appear", self.appear_action);
    ar.text("Music", self.combat_music);
    ar.u32("MusicOrder", self.music_order);
    ar.u32("Value2", self.combat_value2);
    const uint16_t value_count = ar.count("VALUECNT", self.item_values.size(), 2);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) self.item_values.assign(value_count, std::string());
    }
    for (auto& v : self.item_values) ar.text("ItemValue", v);
    ar.u32("FixedStats", self.fixed_stats);
    ar.u32("Class", self.rank);
    ar.u32("Weakness", self.monster_class);
    ar.u32("Value3", self.physical_weakness);
    ar.u32("Value4", self.magic_weakness);
    ar.u32("Flag", self.cannot_flee);
    ar.end("M_MONSTER");
}

void MonsterRecord::serialize(Archive& ar) { fields(*this, ar); }

void MonsterRecord::read(Archive& ar) {
    serialize(ar);
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

void MonsterRecord::write(Archive& ar) const { fields(*this, ar); }
