// The combat screen: its groups on the map layer, the background, the two
// fighters, the hit-point bars with their captions, the matchup arrow, the
// dim strip under the controls, and the reward and funeral pages.
#include <algorithm>
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/text_effects.h"
#include "engine/ui/ui_menu.h"
#include "game/combat/combat_state.h"
#include "game/effects/action_player.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/session/story_module.h"
#include "game/sound/sound_manager.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace {

// Depths of the screen's groups on the map layer, and of their sprites.
constexpr uint32_t kSceneDepth = 100;
constexpr uint32_t kBarDepth = 101;
constexpr uint32_t kMenuDepth = 107;
constexpr uint32_t kOverlayDepth = 108;
constexpr uint32_t kSpareDepth = 501;
constexpr uint32_t kFadeDepth = 502;
constexpr uint32_t kTextEffectDepth = 2000;
constexpr int32_t kFighterDepth = 100;
constexpr int32_t kDimStripDepth = 100;
constexpr int32_t kFuneralDepth = 1000;
constexpr int32_t kOverlayTargetAlpha = 15;

// Layout S, the 240 x 320 screen.
constexpr Point kBackground{0, 0};
constexpr Point kHeroRed{155, 11};
constexpr Point kHeroBlack{226, 11};
constexpr Point kEnemyBar{14, 11};
constexpr Point kArrow{111, 6};
constexpr int32_t kFighterY = 200;
constexpr int32_t kHeroX = 240;
constexpr Point kDimStrip{0, 255};
constexpr Size kDimStripSize{240, 65};
constexpr uint16_t kDimColour = 0x39C7;
constexpr int32_t kDimMost = 20;
constexpr int32_t kRewardIconY = 270;
constexpr int32_t kGoldIcon = 86;

constexpr const char16_t* kBaseSprite = u"combat/monsters/player_base.spr";

// The hero's sprite for an item: attack sprites by weapon sub-kind, magic
// and usable items; null keeps the sprite as it is.
const char16_t* attack_sprite(const ItemRecord* item) {
    if (!item) return nullptr;
    switch (item->kind) {
    case kItemWeapon:
        if (item->sub_kind == 1) return u"combat/monsters/player_spear.spr";
        if (item->sub_kind == 2) return u"combat/monsters/player_mace.spr";
        return u"combat/monsters/player_sword.spr";
    case kItemWand: return u"combat/monsters/player_magic.spr";
    case kItemUsable: return u"combat/monsters/player_drink.spr";
    default: return nullptr;
    }
}

// The base sprite's idle frame for an item: sword 0, mace 1, spear 2,
// magic 3, usable 4.
int32_t idle_frame(const ItemRecord* item) {
    if (!item) return 0;
    switch (item->kind) {
    case kItemWeapon: return item->sub_kind == 1 ? 2 : item->sub_kind == 2 ? 1 : 0;
    case kItemWand: return 3;
    case kItemUsable: return 4;
    default: return 0;
    }
}

// A bar's x: its anchor less the share lost; scales of 0 or less count
// as 1 (a damaged save), and the bar never leaves its window.
int32_t bar_x(int32_t anchor, int32_t hit_points, int32_t width, int32_t scale) {
    const int64_t shown = int64_t(std::clamp(hit_points, 0, std::max(scale, 1))) * width / std::max(scale, 1);
    return std::max(anchor + int32_t(shown) - width, anchor - width);
}

std::u16string caption(const std::string& name, int32_t hit_points) {
    char text[160];
    std::snprintf(text, sizeof text, "%s - %d", name.c_str(), std::max(hit_points, 0));
    return narrow_to_wide(text);
}

}  // namespace

// --- groups ------------------------------------------------------------------------------

void CombatState::add_groups() {
    Layer* layer = game->first_layer();
    const Size size = layer->size();
    const auto add_group = [&](uint32_t depth) {
        auto* group = new SpriteGroup;
        layer->add_at(group, 0, 0, size.width, size.height, depth);
        group->set_size(size.width, size.height);
        return group;
    };
    text_effects_ = new TextEffects;
    layer->add_at(text_effects_, 0, 0, size.width, size.height, kTextEffectDepth);
    text_effects_->set_size(size.width, size.height);
    spare_group_ = add_group(kSpareDepth);
    fade_layer_ = new FadeLayer;
    layer->add(fade_layer_, kFadeDepth);
    fade_layer_->set_level(0);
    overlay_group_ = add_group(kOverlayDepth);
    menu_group_ = add_group(kMenuDepth);
    scene_group_ = add_group(kSceneDepth);
    bar_group_ = add_group(kBarDepth);
    weather_.add_to(*layer, size.width);
}

void CombatState::remove_groups() {
    Layer* layer = game->first_layer();
    for (Drawable* drawable : std::initializer_list<Drawable*>{scene_group_, overlay_group_, menu_group_, text_effects_,
                                                                spare_group_, fade_layer_, bar_group_})
        if (layer && drawable) layer->remove(drawable);
    if (layer) weather_.remove_from(*layer);
    scene_group_ = overlay_group_ = menu_group_ = spare_group_ = bar_group_ = nullptr;
    text_effects_ = nullptr;
    fade_layer_ = nullptr;
    hero_sprite_ = monster_sprite_ = funeral_sprite_ = levelup_sprite_ = dim_strip_ = arrow_ = nullptr;
    enemy_red_ = enemy_black_ = hero_red_ = hero_black_ = bar_frame_ = nullptr;
    carousel_.fill(nullptr);
}

// --- building the screen -------------------------------------------------------------------

void CombatState::build_screen() {
    const MonsterRecord& record = *monster_->record();
    if (!record.combat_music.empty()) game->play_music(record.combat_music, record.music_order);
    menu_ = std::make_unique<UiMenu>(menu_group_, u"combat/combat.def");
    menu_->draw();

    // The background of the level's place; an index past the list takes
    // the first name.
    const std::vector<std::string>& backgrounds = game->module()->gfx.combat_backgrounds;
    const MapLevel* level = world->current_level();
    const uint32_t index = level ? level->combat_background : 0;
    const std::string name = backgrounds.empty() ? "field" : index < backgrounds.size() ? backgrounds[index] : backgrounds[0];
    Sprite* background = scene_group_->create_bitmap_sprite(u"combat/background/" + narrow_to_wide(name) + u".bmp",
                                                            kBackground.x, kBackground.y, 0);
    background->set_flags(ALPHA_LAYER | ALPHA_AUTO);

    set_hero_sprite(0);
    bar_frame_ = bar_group_->create_sprite(u"combat/hpcsikok.spr", 0, 0, 10, 0, 0, 0);
    hero_red_ = bar_group_->create_sprite(u"combat/hpcsikred.spr", kHeroRed.x, kHeroRed.y, 8, 0, 0, 0);
    hero_black_ = bar_group_->create_sprite(u"combat/hpcsikblack.spr", kHeroBlack.x, kHeroBlack.y, 9, 0, 0, 0);
    enemy_red_ = bar_group_->create_sprite(u"combat/hpcsikred.spr", kEnemyBar.x, kEnemyBar.y, 9, 0, 0, 0);
    enemy_black_ = bar_group_->create_sprite(u"combat/hpcsikblack.spr", kEnemyBar.x, kEnemyBar.y, 8, 0, 0, 0);
    arrow_ = overlay_group_->create_sprite(u"combat/helper.spr", kArrow.x, kArrow.y, 9, 0, 0, 0);
    set_arrow_frame(kArrowHidden);
    lines_ = {};

    monster_sprite_ = scene_group_->create_sprite(narrow_to_wide(record.combat_sprite),
                                                  record.combat_value2 + monster_shift_, kFighterY, kFighterDepth, 0, 0, 0);
    if (record.appear_action != MonsterRecord::kNoAppearAction && !record.appear_action.empty())
        appear_action_id_ = start_action(record.appear_action, monster_sprite_, hero_sprite_, 1, -1, -1, -1);

    monster_max_hp_ = monster_->hit_points;
    hero_max_hp_ = hero->max_hit_points;
    show_hp();
    rules_.choose_monster_weapon(*monster_, *hero);

    hero->begin_combat();
    build_tool_list(page());
    if (!hero->current_item && !hero->inventory.empty()) hero->current_item = hero->inventory.front().get();
    rebuild_carousel(false);
    for (int32_t tries = 0; !hero->current_item && tries < kQuickPageCount; ++tries) {
        set_page((std::max(page(), 0) + 1) % kQuickPageCount);
        build_tool_list(page());
        rebuild_carousel(false);
    }
    menu_->set_var(u"Tools", page());
    show_item_caption(true);
    held_direction_ = 0;
    turn_count_ = 0;
    action_id_ = 0;

    show_event(kEventClear);
    show_event(kEventAppeared);
    create_dim_strip();
    input_enabled_ = false;
    note_weapon_kind();
    if (ActionPlayer* player = game->action_player()) player->create_overlay(scene_group_, kOverlayTargetAlpha);
}

// --- the fighters --------------------------------------------------------------------------

void CombatState::set_hero_sprite(int32_t choice) {
    const char16_t* file = kBaseSprite;
    if (choice == 1) {
        file = attack_sprite(hero->current_item ? hero->current_item->item : nullptr);
        if (!file) return;
    } else if (choice == 2) {
        file = u"combat/monsters/player_bigdamage.spr";
    }
    if (hero_sprite_ && hero_sprite_file_ == file) return;
    hero_sprite_file_ = file;
    const int32_t x = kHeroX - monster_->record()->combat_value2 + monster_shift_;
    if (!hero_sprite_) {
        hero_sprite_ = scene_group_->create_sprite(file, x, kFighterY, kFighterDepth, 0, 0, 0);
        return;
    }
    hero_sprite_->invalidate();
    hero_sprite_->load(file, 1);
    hero_sprite_->set_phase(0);
    hero_sprite_->invalidate();
}

void CombatState::show_idle_pose() {
    if (!hero_sprite_ || hero_sprite_file_ != kBaseSprite) return;
    hero_sprite_->set_phase(idle_frame(hero->current_item ? hero->current_item->item : nullptr));
}

int32_t CombatState::hero_weapon_kind_of(const ItemRecord* item) const {
    if (!item) return hero_weapon_kind_;
    if (item->kind == kItemWeapon) return item->sub_kind;
    if (item->kind == kItemWand) return 3;
    return hero_weapon_kind_;
}

void CombatState::note_weapon_kind() {
    hero_weapon_kind_ = hero_weapon_kind_of(hero->current_item ? hero->current_item->item : nullptr);
}

// --- bars and arrow ---------------------------------------------------------------------------

void CombatState::show_hp() {
    if (!enemy_red_ || !hero_black_) return;
    const int32_t w = enemy_red_->frame_width;
    enemy_red_->set_position(bar_x(kEnemyBar.x, monster_->hit_points, w, monster_max_hp_), Sprite::KEEP, Sprite::KEEP);
    hero_black_->set_position(bar_x(kHeroBlack.x, hero->hit_points, w, hero_max_hp_), Sprite::KEEP, Sprite::KEEP);
    enemy_red_->invalidate();
    hero_black_->invalidate();
    ui_set_element_wtext(menu_.get(), u"enemy", caption(monster_->record()->name, monster_->hit_points));
    ui_set_element_wtext(menu_.get(), u"hero", caption(hero->name, hero->hit_points));
    if (menu_) menu_->draw();
}

void CombatState::set_arrow_frame(int32_t frame) {
    if (arrow_) arrow_->set_phase(frame);
}

int32_t CombatState::arrow_frame() const { return arrow_ ? arrow_->phase : kArrowHidden; }

void CombatState::show_matchup_if_easy() {
    if (world->difficulty != 0) {
        set_arrow_frame(kArrowHidden);
        return;
    }
    set_arrow_frame(hero->current_item ? rules_.weapon_matchup(*hero, *monster_) : kArrowHidden);
}

// --- dim strip ------------------------------------------------------------------------------------

void CombatState::create_dim_strip() {
    dim_strip_ = new Sprite;
    dim_strip_->create_blank(kDimStripSize.width, kDimStripSize.height);
    if (Bitmap* picture = dim_strip_->bitmap()) std::fill(picture->pixels.begin(), picture->pixels.end(), kDimColour);
    dim_strip_->assign_flags(ALPHA_LAYER);
    overlay_group_->add_sprite(dim_strip_, kDimStrip.x, kDimStrip.y, kDimStripDepth, 0, 0, 0);
    dim_strip_->set_alpha(0);
}

void CombatState::fade_dim_strip() {
    if (!dim_strip_) return;
    if (input_enabled_) {
        if (dim_strip_->alpha > 0) dim_strip_->add_alpha(-1);
    } else if (dim_strip_->alpha < kDimMost) {
        dim_strip_->add_alpha(1);
    }
}

// --- the end of a fight ---------------------------------------------------------------------------

void CombatState::show_reward() {
    const bool level_up = rules_.compute_reward(reward_) != 0;
    // The monster's other defeat actions run on the map after the fight.
    for (const auto& action : reward_.queued_actions) game->actions().push(action);
    if (level_up) {
        weather_.clear_weather();
        remove_fight_actions();  // they may play on the hero's sprite
        if (hero_sprite_) scene_group_->remove_sprite(hero_sprite_);
        hero_sprite_ = nullptr;
        hero_sprite_file_.clear();
        levelup_sprite_ = scene_group_->create_sprite(u"combat/background/levelup.spr", 0, 30, 1, 0, 0, 0);
        game->stop_music();
        if (g_sound_manager) g_sound_manager->play_sound(u"sfx/levelup.wav", 255, -1, false);
    }
    remove_carousel();
    const Size size = game->first_layer()->size();
    const int32_t icon_y = size.height == 480 ? 350 : kRewardIconY;
    const ItemRecord* item = reward_.item_id ? world->get_item(reward_.item_id) : nullptr;
    if (reward_.gold > 0 || !item) {
        add_item_icon(overlay_group_, kGoldIcon, size.width / 2 - 15, icon_y, 10, TRANS_COLOR);
    } else {
        add_item_icon(overlay_group_, item->icon(), size.width / 2 - 16, icon_y, 10, TRANS_COLOR);
    }
    menu_->show_page(u"REWARD");
    menu_->draw();
    show_event(kEventExperience);
    show_event(kEventFound);
}

void CombatState::show_funeral() {
    menu_->show_page(u"FUNERAL");
    menu_->draw();
    remove_carousel();
    funeral_sprite_ = overlay_group_->create_sprite(u"screens/funeral.spr", 0, 0, kFuneralDepth, 0, ALPHA_LAYER, 0);
    funeral_sprite_->set_alpha(0);
}
