#include "game/screens/inventory_state.h"

#include <algorithm>
#include <cstdio>

#include "engine/files/ini_file.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/font.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/map_view/tile_kinds.h"
#include "game/map_view/tile_renderer.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/session/story_module.h"
#include "game/story/item_record.h"
#include "game/story/quest.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr const char* kSection = "inv";
constexpr uint32_t kEquipmentDepth = 1004;
constexpr uint32_t kQuestDepth = 1003;
constexpr uint32_t kDialogDepth = 11002;
constexpr int32_t kQuestTextDepth = 2000;
constexpr int32_t kMessageBoxY = 155;
constexpr int32_t kQuestScrollStep = 2;
constexpr int32_t kPurgeBelowMb = 5, kPurgeAgainBelowMb = 3;
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
// The drop question stands in the middle of the screen.

// The fourth button and Escape leave a page.
bool leaves(uint32_t key) { return key == kKeyButton4 || key == kKeyEscape; }

// "%d", or "%d+%d" with a boost that is not 0.
std::string with_boost(int32_t base, int32_t boost) {
    std::string text = std::to_string(base);
    if (boost != 0) text += "+" + std::to_string(boost);
    return text;
}

// What the hero would get for the entry: price x uses left / full uses x 6 / 10.
int64_t sale_value(const InventoryEntry& entry) {
    const int64_t count = std::max<int64_t>(entry.item->count, 1);
    return int64_t(entry.item->price) * entry.uses / count * 6 / 10;
}

struct PotionKind {
    int32_t HeroActor::*boost;
    const char* message;
};
// Sub-kinds 1 to 5 of a usable item.
constexpr PotionKind kPotions[] = {
    {&HeroActor::bonus_dexterity, "You got +%d Dexterity\ntill the end of\nnext combat."},
    {&HeroActor::bonus_strength, "You got +%d Strength\ntill the end of\nnext combat."},
    {&HeroActor::bonus_defence, "You got +%d Defense\ntill the end of\nnext combat."},
    {&HeroActor::bonus_knowledge, "You got +%d Aiming\ntill the end of\nnext combat."},
    {&HeroActor::bonus_resistance, "You got +%d Resistance\ntill the end of\nnext combat."},
};

std::string formatted(const char* format, int32_t value) {
    char text[160];
    std::snprintf(text, sizeof text, format, int(value));
    return text;
}
std::string formatted(const char* format, const std::string& name) {
    char text[200];
    std::snprintf(text, sizeof text, format, name.c_str());
    return text;
}

}  // namespace

InventoryState::InventoryState() = default;

InventoryState::~InventoryState() {
    if (quest_font_) {
        quest_font_->release();
        delete quest_font_;
    }
}

InventoryEntry* InventoryState::selected_entry() const {
    if (cursor_.selected < 0 || size_t(cursor_.selected) >= cell_entries_.size()) return nullptr;
    return cell_entries_[size_t(cursor_.selected)];
}

// --- entering and leaving -------------------------------------------------------------

void InventoryState::enter(ScreenArgument argument) {
    bind_context();
    hero->gold = std::min(hero->gold, kMaxGold);
    game->release_level_sprites();
    leaving_ = false;
    frame_counter_ = 0;
    drop_candidate_ = nullptr;
    left_enabled_ = right_enabled_ = false;

    IniFile& layout = game->module()->layout;
    const ItemGridLayout grid = read_item_grid_layout(layout, kSection);
    cursor_ = GridCursor{};
    cursor_.per_page = grid.cells_per_page();
    cursor_.per_row = grid.per_row;
    view_.build(*game, grid, grid.grid_area(true), kMessageBoxY);

    Layer& layer = *game->first_layer();
    const Rect quests{layout.get_int(0, "questlayer", kSection, 0, 0), layout.get_int(0, "questlayer", kSection, 0, 1),
                      0, 0};
    const Rect quest_area{quests.left, quests.top, quests.left + layout.get_int(200, "questlayer", kSection, 0, 2),
                          quests.top + layout.get_int(100, "questlayer", kSection, 0, 3)};
    quest_group_ = new SpriteGroup;
    layer.add_at(quest_group_, quest_area.left, quest_area.top, quest_area.width(), quest_area.height(), kQuestDepth);
    quest_group_->set_size(quest_area.width(), quest_area.height());
    quest_line_height_ = std::max(layout.get_int(14, "questy", kSection, 0, 0), 1);
    quest_bar_sprite_ = layout.get_string("menus/inv/questsel.spr", "questsel", kSection, 0, 0);

    equipment_ = new SpriteGroup;
    layer.add_at(equipment_, grid.page.left, grid.page.top, grid.page.width(), grid.page.height(), kEquipmentDepth);
    equipment_->set_size(grid.page.width(), grid.page.height());
    armour_at_ = {layout.get_int(0, "armor", kSection, 0, 0), layout.get_int(0, "armor", kSection, 0, 1)};
    shield_at_ = {layout.get_int(0, "shield", kSection, 0, 0), layout.get_int(0, "shield", kSection, 0, 1)};

    dialog_.add_group(layer, centred_dialog_area(layer.size()), kDialogDepth);

    if (!quest_font_) {
        quest_font_ = new Font;
        quest_font_->load(u"font_rpg_blk");
    }
    UiMenu& menu = view_.load_page(page_variant(u"menus/inv/inv", layer.size()));
    tab_ = kTabWeapons;
    write_tab_flags(menu, tab_);

    build_quest_list(0);
    quest_group_->set_visible(false);
    rebuild_grid();
    if (argument.number() == kOpenStats) show_page(kStatsPage, false);
    else if (argument.number() == kOpenArmour) show_page(kItemPage, true);
    else if (argument.number() == kOpenItems) show_page(kItemPage, false);
    view_.start_fade_in();
    equipment_->set_all_flags(kFadingSprite);
    equipment_->set_alpha(0);
}

void InventoryState::leave() {
    Layer* layer = game ? game->first_layer() : nullptr;
    dialog_.remove_group(layer);
    view_.remove(layer);
    if (layer) {
        if (quest_group_) layer->remove(quest_group_);
        if (equipment_) layer->remove(equipment_);
    }
    quest_group_ = equipment_ = nullptr;
    quest_bar_ = nullptr;
    quest_lines_.clear();
    cell_entries_.clear();
    if (quest_font_) {
        quest_font_->release();
        delete quest_font_;
        quest_font_ = nullptr;
    }
    if (!game) return;
    game->update_hud_status();
    if (game->free_memory() < kPurgeBelowMb) purge_resource_caches();
    game->restore_level_sprites();
    if (game->free_memory() < kPurgeAgainBelowMb) purge_resource_caches();
}

void InventoryState::start_leaving() { leaving_ = true; }

// --- ticks ---------------------------------------------------------------------------

void InventoryState::update() {
    if (!view_.grid()) return;
    ++frame_counter_;
    view_.set_frame_phase(frame_counter_ / 10 % 3);
    if (page_ == kQuestPage) {
        if (quest_bar_) quest_bar_->set_position(0, selected_quest_ * quest_line_height_, Sprite::KEEP);
        const int32_t offset = quest_group_->offset().y;
        const int32_t step = std::clamp(quest_scroll_target_ - offset, -kQuestScrollStep, kQuestScrollStep);
        if (step != 0) {
            quest_group_->set_offset(0, offset + step);
            quest_group_->invalidate();
        } else if (quest_bar_) {
            quest_group_->invalidate_sprite(quest_bar_);
        }
    } else if (page_ == kItemPage) {
        view_.place_frame(cursor_.selected);
        UiMenu& menu = *view_.page();
        const bool right = enable_control(menu, u"rightbutton", cursor_.has_next_page());
        const bool left = enable_control(menu, u"leftbutton", cursor_.has_previous_page());
        if (right || left) view_.draw_page();
        view_.tick_message();
    }
    equipment_->add_alpha(leaving_ ? -1 : 1);
    if (!view_.fade(leaving_)) game->switch_state(kWalkingScreen, 0);
}

// --- pages ---------------------------------------------------------------------------

void InventoryState::show_page(int32_t page, bool armour_tab) {
    page_ = page;
    UiMenu& menu = *view_.page();
    view_.hide_message();
    if (page == kStatsPage) {
        view_.grid()->set_visible(false);
        view_.set_frame_visible(false);
        quest_group_->set_visible(false);
        equipment_->set_visible(true);
        menu.show_page(u"MAIN");
        fill_stats();
        return;
    }
    equipment_->set_visible(false);
    if (page == kQuestPage) {
        view_.grid()->set_visible(false);
        view_.set_frame_visible(false);
        quest_group_->set_visible(true);
        menu.show_page(u"QUEST");
        show_quest_description();
        return;
    }
    quest_group_->set_visible(false);
    view_.grid()->set_visible(true);
    view_.set_frame_visible(true);
    menu.show_page(u"INVENTORY");
    cursor_.page_start = 0;
    change_tab(armour_tab ? kTabArmour : kTabUsable);
}

void InventoryState::fill_stats() {
    UiMenu& menu = *view_.page();
    const HeroActor& h = *hero;
    set_control(menu, u"HTH", std::to_string(h.hit_points) + ":" + std::to_string(h.max_hit_points));
    set_control(menu, u"LEV", std::to_string(h.level_number));
    set_control(menu, u"EXP", std::to_string(h.experience) + ":" + std::to_string(h.experience_step));
    set_control(menu, u"DEX", with_boost(h.dexterity_, h.bonus_dexterity));
    set_control(menu, u"STR", with_boost(h.strength_, h.bonus_strength));
    set_control(menu, u"KNW", with_boost(h.knowledge_, h.bonus_knowledge));
    set_control(menu, u"RES", with_boost(h.resistance_, h.bonus_resistance));
    std::string defence = with_boost(h.defence_, h.bonus_defence);
    if (h.armour && h.armour->item) defence += "+" + std::to_string(h.armour->item->value);
    if (h.shield && h.shield->item) defence += "+" + std::to_string(h.shield->item->value);
    set_control(menu, u"DEF", defence);
    set_control(menu, u"ARMORIDX", h.armour ? std::to_string(h.armour->uses) : std::string());
    set_control(menu, u"SHIELDIDX", h.shield ? std::to_string(h.shield->uses) : std::string());
    set_control(menu, u"GOLD", std::to_string(h.gold));
    place_equipment();
    view_.draw_page();
}

void InventoryState::place_equipment() {
    equipment_->clear();
    TileRenderer& icons = game->map_cells().renderer();
    const int32_t alpha = view_.page().group()->group_alpha();
    for (const auto& [entry, at] : {std::pair{hero->armour, armour_at_}, std::pair{hero->shield, shield_at_}}) {
        if (!entry || !entry->item) continue;
        if (Sprite* icon = icons.get_tile_sprite(kTileItem, *equipment_, at.x, at.y, 0, std::max(entry->item->param1, 0))) {
            icon->set_flags(kFadingSprite);
            icon->set_alpha(alpha);
        }
    }
}

// --- the item grid ---------------------------------------------------------------------

void InventoryState::change_tab(int32_t tab) {
    tab_ = tab;
    UiMenu& menu = *view_.page();
    write_tab_flags(menu, tab);
    cursor_.selected = 0;
    rebuild_grid();
    set_control(menu, u"TITLE", inventory_tab_title(tab));
    show_item_info();
}

void InventoryState::rebuild_grid() {
    view_.clear_cells();
    cell_entries_.clear();
    cursor_.items_seen = 0;
    for (InventoryEntry* entry : inventory_order(hero->inventory)) {
        if (!tab_holds(tab_, entry->item->kind)) continue;
        if (!cursor_.on_page(cursor_.items_seen++)) continue;
        const int32_t cell = int32_t(cell_entries_.size());
        cell_entries_.push_back(entry);
        view_.add_icon(cell, *entry->item);
        if (entry == hero->armour || entry == hero->shield) view_.add_worn_mark(cell);
    }
    cursor_.cells = int32_t(cell_entries_.size());
    if (cursor_.back_from_empty_page()) return rebuild_grid();
    cursor_.clamp();
}

void InventoryState::show_item_info() {
    UiMenu& menu = *view_.page();
    const InventoryEntry* entry = selected_entry();
    if (!entry) {
        for (const char16_t* name : {u"DESC", u"NAME", u"PRICE", u"DATA1", u"MONEY"}) set_control(menu, name, " ");
        view_.draw_page();
        return;
    }
    const ItemRecord& item = *entry->item;
    set_control(menu, u"MONEY", item.price == 0 ? std::string() : std::to_string(sale_value(*entry)) + " gold");
    set_control(menu, u"DESC", item.text2.empty() ? " " : item.text2);
    set_control(menu, u"NAME", item.name);
    set_control(menu, u"DATA1", world->item_stat_text(item.id, entry->uses));
    view_.draw_page();
}

void InventoryState::message(const std::string& text) { view_.show_message(text); }

// --- using, wearing and dropping ---------------------------------------------------------

void InventoryState::use_selected() {
    InventoryEntry* entry = selected_entry();
    if (!entry) return;
    const int32_t kind = entry->item->kind;
    if (view_.message_up() && kind != kItemUsable) return;
    if (kind == kItemUsable) use_usable(*entry);
    else if (kind == kItemArmour || kind == kItemShield) toggle_gear(*entry);
    else message("You cannot use it\nright now!");
}

void InventoryState::use_usable(InventoryEntry& entry) {
    const ItemRecord& item = *entry.item;
    // The hero's own knowledge: the combat copy is only the last fight's.
    if (hero->knowledge_ < int32_t(item.aim)) {
        message("You don't know\nhow to use it...");
        return;
    }
    if (item.sub_kind != 0) {
        drink_potion(entry);
        return;
    }
    if (hero->hit_points >= hero->max_hit_points) {
        message("You are at full Health!");
        return;
    }
    play_item_sound(item.count >= 7 ? u"sfx\\book.wav" : u"sfx\\magic\\drink.wav");
    hero->heal(item.value);
    const std::string text = "Your Health is now\n" + std::to_string(hero->hit_points) + " : " +
                             std::to_string(hero->max_hit_points);
    use_up(entry);
    message(text);
}

void InventoryState::drink_potion(InventoryEntry& entry) {
    const int32_t sub_kind = entry.item->sub_kind;
    if (sub_kind < 1 || sub_kind > int32_t(std::size(kPotions))) return;
    const PotionKind& potion = kPotions[sub_kind - 1];
    int32_t& boost = (*hero).*potion.boost;
    if (boost != 0) {
        message("You have already used\nsuch potion!");
        return;
    }
    boost = entry.item->value;
    const int32_t value = boost;
    play_item_sound(u"sfx\\magic\\drink.wav");
    use_up(entry);
    message(formatted(potion.message, value));
}

void InventoryState::use_up(InventoryEntry& entry) {
    if (!hero->use_up_item(&entry)) {
        show_item_info();  // the uses left changed
        return;
    }
    rebuild_grid();
    show_item_info();
}

void InventoryState::toggle_gear(InventoryEntry& entry) {
    const bool armour = entry.item->kind == kItemArmour;
    InventoryEntry*& worn = armour ? hero->armour : hero->shield;
    const std::string& name = entry.item->name;
    if (worn == &entry) {
        worn = nullptr;
        play_item_sound(u"sfx\\giveitem.wav");
        message(formatted(armour ? "You took off\n%s." : "You put down\n%s.", name));
    } else {
        worn = &entry;
        play_item_sound(u"sfx\\getitem.wav");
        message(formatted(armour ? "You put on\n%s." : "You grabbed\n%s.", name));
    }
    rebuild_grid();  // the marks of the worn gear
}

void InventoryState::drop_selected() {
    InventoryEntry* entry = selected_entry();
    if (!entry) return;
    const ItemRecord& item = *entry->item;
    if (item.flag2 != 0 || item.count >= ItemRecord::kEndlessUses) {
        message("You shouldn't drop it!");
        return;
    }
    if (entry == hero->armour || entry == hero->shield) {
        const bool armour = entry == hero->armour;
        (armour ? hero->armour : hero->shield) = nullptr;
        message(formatted(armour ? "You took off\n%s." : "You put down\n%s.", item.name));
        rebuild_grid();
        return;
    }
    view_.hide_message();
    open_drop_question(*entry);
}

void InventoryState::open_drop_question(const InventoryEntry& entry) {
    drop_candidate_ = const_cast<InventoryEntry*>(&entry);
    key_down_over_question_ = kNoKey;
    UiMenu& question = dialog_.load(u"menus/io/confirm_reset.def");
    set_control(question, u"question", formatted("Do you want to drop\n%s?", entry.item->name));
    question.draw();
}

void InventoryState::close_drop_question(bool drop) {
    dialog_.unload();
    InventoryEntry* entry = drop_candidate_;
    drop_candidate_ = nullptr;
    if (!drop || hero->item_index(entry) < 0) return;
    play_item_sound(u"sfx\\giveitem.wav");
    hero->remove_entry(entry);
    rebuild_grid();
    show_item_info();
}

// Only an answer in focus drops the item: the first key of a question just
// opened puts the focus on "No" (the page's first answer), whichever key it
// is, so no key drops an item at once.
void InventoryState::dialog_input(const MenuInput& input) {
    if (input.result == kMenuCommand && input.command == u"*YES") return close_drop_question(true);
    if (input.result == kMenuCommand && input.command == u"*NO") return close_drop_question(false);
    if (input.result == kMenuFocusChanged || input.focused_first) dialog_->draw();
}

// --- input -----------------------------------------------------------------------------

void InventoryState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (!view_.grid()) return;
    // Every key press clicks, over the drop question and while the screen
    // fades out too, before anything else.
    if (kind == kKeyPress) play_menu_click();
    if (leaving_) return;
    if (dialog_) {
        // The question takes keys on release.
        if (kind == kKeyPress) key_down_over_question_ = game_key;
        if (kind != kKeyRelease || game_key != key_down_over_question_) return;
        key_down_over_question_ = kNoKey;
        // The fourth button answers "No".
        if (game_key == kKeyButton4) return close_drop_question(false);
        dialog_input(send_key_focus_style(*dialog_, game_key));
        return;
    }
    if (kind != kKeyPress) return;
    if (page_ == kStatsPage) stats_key(game_key);
    else if (page_ == kQuestPage) quest_key(game_key);
    else item_key(game_key);
}

void InventoryState::on_pointer(int kind, int32_t x, int32_t y) {
    if (!view_.grid()) return;
    // Every pen down clicks, as every key press does.
    if (kind == kPenDown) play_menu_click();
    if (leaving_) return;
    if (dialog_) {
        const Point origin = dialog_.group()->position();
        dialog_input(send_pen_focus_style(*dialog_, kind, {x - origin.x, y - origin.y}));
        return;
    }
    if (kind != kPenDown) return;
    const Point origin = view_.page().group()->position();
    std::u16string command;
    const int32_t result = view_.page()->handle_event(kMenuTap, pack_point(x - origin.x, y - origin.y), &command);
    if (result != kMenuCommand) command.clear();
    if (page_ == kStatsPage) {
        stats_command(command);
    } else if (page_ == kQuestPage) {
        quest_command(command);
        const Point at{x - quest_group_->position().x, y - quest_group_->position().y};
        const Size size = quest_group_->size();
        if (command.empty() && !quest_lines_.empty() && at.x >= 0 && at.y >= 0 && at.x < size.width && at.y < size.height) {
            selected_quest_ = std::clamp((quest_scroll_target_ + at.y) / quest_line_height_, 0,
                                         int32_t(quest_lines_.size()) - 1);
            show_quest_description();
        }
    } else {
        item_pen({x, y}, command);
    }
}

// The first button opens the quests, the second the items.
void InventoryState::stats_key(uint32_t game_key) {
    if (game_key == kKeyButton1) show_page(kQuestPage, false);
    else if (game_key == kKeyButton2) show_page(kItemPage, false);
    else if (leaves(game_key)) start_leaving();
}

void InventoryState::stats_command(const std::u16string& command) {
    if (command == u"*QUEST") show_page(kQuestPage, false);
    else if (command == u"*INV") show_page(kItemPage, false);
    else if (command == u"*ARMOR" || command == u"*SHIELD") show_page(kItemPage, true);
    else if (command == u"*BACK") start_leaving();
}

// The action key and the first button use the chosen item, the second
// drops it, the third turns to the next tab; the arrows move the frame.
void InventoryState::item_key(uint32_t game_key) {
    if (leaves(game_key)) return start_leaving();
    if (game_key == kKeyAction || game_key == kKeyButton1) return use_selected();
    if (game_key == kKeyButton2) return drop_selected();
    if (game_key == kKeyButton3) {
        cursor_.page_start = 0;
        return change_tab(tab_ >= kTabQuest ? kTabUsable : tab_ + 1);
    }
    // One move per tick: the frame must have reached the selected cell.
    if (!view_.frame_on(cursor_.selected)) return;
    if (move_cursor(cursor_, game_key, [this] { rebuild_grid(); }) != CursorMove::kNone) show_item_info();
}

void InventoryState::item_command(const std::u16string& command) {
    if (command == u"*STATS") return start_leaving();
    if (command == u"*USE") return use_selected();
    if (command == u"*DROP") return drop_selected();
    if (command == u"*CHANGE") {
        cursor_.page_start = 0;
        return change_tab(tab_ >= kTabQuest ? kTabUsable : tab_ + 1);
    }
    if ((command == u"*RIGHT" && cursor_.has_next_page()) || (command == u"*LEFT" && cursor_.has_previous_page())) {
        cursor_.page_start += command == u"*RIGHT" ? cursor_.per_page : -cursor_.per_page;
        return change_tab(tab_);
    }
    const int32_t tab = tab_of_command(command);
    if (tab != kNoTab && tab != tab_) {
        cursor_.page_start = 0;
        change_tab(tab);
    }
}

void InventoryState::item_pen(Point at, const std::u16string& command) {
    if (!command.empty()) item_command(command);
    if (leaving_ || dialog_ || cursor_.cells == 0) return;
    const int32_t cell = view_.pick(at, cursor_.selected, cursor_.cells);
    if (cell < 0) return;
    cursor_.selected = cell;
    show_item_info();
}

// --- quests ----------------------------------------------------------------------------

void InventoryState::build_quest_list(int32_t done) {
    quest_group_->clear();
    quest_group_->set_offset(0, 0);
    quest_bar_ = nullptr;
    quest_lines_.clear();
    for (const QuestEntry& q : hero->quests) {
        if (!q.quest || (q.done != 0) != (done != 0)) continue;
        std::string line = q.quest->text1;
        Sprite* text = quest_font_->render_text_ascii(line.data(), 1000, 0, 0, kTextPlain, kAlignLeft, -1, 0);
        quest_group_->add_sprite(text, 3, quest_line_height_ * int32_t(quest_lines_.size()) + 1, kQuestTextDepth, 0, 0,
                                 0);
        quest_lines_.push_back({q.quest->name, q.quest->text1, q.quest->text2});
    }
    if (!quest_lines_.empty())
        quest_bar_ = quest_group_->create_sprite(narrow_to_wide(quest_bar_sprite_), 0, 0, 0, 0, 0, 0);
    selected_quest_ = 0;
    quest_scroll_target_ = 0;
}

void InventoryState::show_quest_description() {
    UiMenu& menu = *view_.page();
    set_control(menu, u"QUESTDESC", quest_lines_.empty() ? std::string(" ") : quest_lines_[size_t(selected_quest_)].text2);
    view_.draw_page();
}

void InventoryState::move_quest_selection(int32_t step) {
    if (quest_lines_.empty()) return;
    selected_quest_ = std::clamp(selected_quest_ + step, 0, int32_t(quest_lines_.size()) - 1);
    const int32_t top = selected_quest_ * quest_line_height_;
    const int32_t visible = quest_group_->size().height;
    if (top < quest_scroll_target_) quest_scroll_target_ -= quest_line_height_;
    else if (top + quest_line_height_ > quest_scroll_target_ + visible) quest_scroll_target_ += quest_line_height_;
    quest_scroll_target_ = std::max(quest_scroll_target_, 0);
    show_quest_description();
}

// Left and the first button list the open quests, Right and the second the
// done ones; Up and Down choose a quest.
void InventoryState::quest_key(uint32_t game_key) {
    UiMenu& menu = *view_.page();
    if (game_key == kKeyLeft || game_key == kKeyButton1 || game_key == kKeyRight || game_key == kKeyButton2) {
        const int32_t done = game_key == kKeyRight || game_key == kKeyButton2 ? 1 : 0;
        menu.set_var(u"questtab", done);
        build_quest_list(done);
        show_quest_description();
    } else if (leaves(game_key)) {
        show_page(kStatsPage, false);
    } else if (game_key == kKeyUp || game_key == kKeyDown) {
        move_quest_selection(game_key == kKeyUp ? -1 : 1);
    }
}

void InventoryState::quest_command(const std::u16string& command) {
    UiMenu& menu = *view_.page();
    if (command == u"*UPDATE" || command == u"*TODO" || command == u"*DONE") {
        if (command != u"*UPDATE") menu.set_var(u"questtab", command == u"*DONE" ? 1 : 0);
        build_quest_list(menu.get_var(u"questtab"));
        show_quest_description();
    } else if (command == u"*STATS") {
        show_page(kStatsPage, false);
    } else if (command == u"*QUESTUP" || command == u"*QUESTDOWN") {
        move_quest_selection(command == u"*QUESTUP" ? -1 : 1);
    }
}
