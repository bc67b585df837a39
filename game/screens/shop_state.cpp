#include "game/screens/shop_state.h"

#include <algorithm>
#include <cstdio>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/menu_screen.h"
#include "game/session/game.h"
#include "game/session/story_module.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr const char* kSection = "shop";
constexpr int32_t kMessageBoxY = 153;
constexpr int32_t kCountDepth = 3000;
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;

std::string buy_title(int32_t category) {
    switch (category) {
    case kItemWeapon: return "Buy Weapons";
    case kItemWand: return "Buy Magic Wands";
    case kItemUsable: return "Buy Magic Items";
    case kItemArmour:
    case kItemShield: return "Buy Armor";
    case kItemQuest: return "Buy Items";
    default: return "Buy";
    }
}

// Armour shops sell shields too, and shield shops armour.
int32_t second_category_of(int32_t category) {
    if (category == kItemArmour) return kItemShield;
    if (category == kItemShield) return kItemArmour;
    return 0;
}

std::string with_name(const char* format, const std::string& name) {
    char text[200];
    std::snprintf(text, sizeof text, format, name.c_str());
    return text;
}

}  // namespace

std::string nothing_to_sell_text(int32_t category) {
    switch (category) {
    case kItemWeapon: return "You have no weapons to sell.";
    case kItemWand: return "You have no wand to sell.";
    case kItemUsable: return "You have no magic items to sell.";
    case kItemArmour: return "You have no armor to sell.";
    case kItemShield: return "You have no shield to sell.";
    case kItemQuest: return "You have no items to sell.";
    default: return "You have nothing to sell.";
    }
}

ShopState::ShopState() = default;

ShopState::~ShopState() {
    if (count_font_) {
        count_font_->release();
        delete count_font_;
    }
}

bool ShopState::current() const { return game && game->current_state() == this; }

// --- entering and leaving ---------------------------------------------------------------

void ShopState::enter(ScreenArgument argument) {
    bind_context();
    hero->gold = std::min(hero->gold, kMaxGold);
    const ShopRequest* request = argument.pointer<const ShopRequest>();
    request_ = request ? *request : ShopRequest{};
    leaving_ = false;
    left_enabled_ = right_enabled_ = false;
    if (!buying() && hero->inventory.empty()) {
        // Nothing to sell: the shopkeeper says so on a story page. Told by
        // the category the shop was opened with, not by its tab.
        std::string& text = game->screen_subjects.story_text;
        text = nothing_to_sell_text(category());
        game->switch_state(kStoryScreen, &text);
        return;
    }
    build_pages();
}

void ShopState::build_pages() {
    const ItemGridLayout grid = read_item_grid_layout(game->module()->layout, kSection);
    cursor_ = GridCursor{};
    cursor_.per_page = grid.cells_per_page();
    cursor_.per_row = grid.per_row;
    view_.build(*game, grid, grid.grid_area(false), kMessageBoxY);
    if (!count_font_) {
        count_font_ = new Font;
        count_font_->load(u"font1");
    }
    const Size layer = game->first_layer()->size();
    UiMenu& menu = view_.load_page(page_variant(buying() ? u"menus/inv/shop_buy" : u"menus/inv/shop_sell", layer));
    if (buying()) {
        menu.set_var(u"ChangeTab", 1);
        tab_ = category();
        second_category_ = second_category_of(tab_);
        write_tab_flags(menu, tab_of_category(tab_));
    } else {
        tab_ = tab_of_category(category());
        second_category_ = 0;
        write_tab_flags(menu, tab_);
    }
    fill_list();
    show_item_info();
    view_.start_fade_in();
}

void ShopState::leave() {
    Layer* layer = game ? game->first_layer() : nullptr;
    view_.remove(layer);
    owned_count_ = nullptr;
    buy_cells_.clear();
    sell_cells_.clear();
    if (count_font_) {
        count_font_->release();
        delete count_font_;
        count_font_ = nullptr;
    }
}

// --- the list ----------------------------------------------------------------------------

void ShopState::fill_list() {
    view_.clear_cells();
    if (owned_count_) view_.grid()->remove_sprite(owned_count_);
    owned_count_ = nullptr;
    buy_cells_.clear();
    sell_cells_.clear();
    cursor_.items_seen = 0;
    if (buying()) fill_buy_list();
    else fill_sell_list();
    cursor_.cells = int32_t(buying() ? buy_cells_.size() : sell_cells_.size());
    if (cursor_.back_from_empty_page()) return fill_list();
    cursor_.clamp();
}

void ShopState::fill_buy_list() {
    set_control(*view_.page(), u"TITLE", buy_title(tab_));
    std::vector<ItemRecord*> goods;
    for (const auto& group : world->item_groups) {
        if (group->group_kind != tab_ && (second_category_ == 0 || group->group_kind != second_category_)) continue;
        for (const auto& item : group->items)
            if (item->price != 0 && hero->item_fits_level(*item)) goods.push_back(item.get());
    }
    sort_buy_list(goods);
    cursor_.items_seen = int32_t(goods.size());
    const size_t first = size_t(std::min<int32_t>(cursor_.page_start, cursor_.items_seen));
    const size_t end = std::min(goods.size(), first + size_t(cursor_.per_page));
    for (size_t i = first; i < end; ++i) {
        view_.add_icon(int32_t(buy_cells_.size()), *goods[i]);
        buy_cells_.push_back(goods[i]);
    }
}

void ShopState::fill_sell_list() {
    set_control(*view_.page(), u"TITLE", inventory_tab_title(tab_));
    for (InventoryEntry* entry : sell_order(hero->inventory)) {
        const ItemRecord& item = *entry->item;
        if (!tab_holds(tab_, item.kind) || item.price == 0 || item.flag2 != 0) continue;
        if (!cursor_.on_page(cursor_.items_seen++)) continue;
        view_.add_icon(int32_t(sell_cells_.size()), item);
        sell_cells_.push_back(entry);
    }
}

void ShopState::change_tab(int32_t tab) {
    if (hero->inventory.empty()) return;
    tab_ = tab;
    UiMenu& menu = *view_.page();
    write_tab_flags(menu, tab);
    cursor_.selected = 0;
    fill_list();
    view_.draw_page();
    show_item_info();
}

void ShopState::turn_page(int32_t pages) {
    cursor_.page_start = std::max(0, cursor_.page_start + pages * cursor_.per_page);
    if (!buying()) return change_tab(tab_);
    // The buy list keeps its category's tab and title whatever the hero carries.
    cursor_.selected = 0;
    fill_list();
    show_item_info();
}

// --- prices and information ---------------------------------------------------------------

int32_t ShopState::sale_price(const InventoryEntry& entry) const {
    const int32_t v = item_price(*hero, hero->item_index(&entry));
    if (v < 0) return 0;
    if (entry.item->kind == kItemQuest) return v;
    const int64_t share = entry.item->kind == category() ? 6 : 4;
    return int32_t(int64_t(v) * share / 10);
}

int32_t ShopState::selected_price() const {
    const size_t cell = size_t(cursor_.selected);
    if (buying()) return cell < buy_cells_.size() ? buy_cells_[cell]->price : 0;
    return cell < sell_cells_.size() ? sale_price(*sell_cells_[cell]) : 0;
}

void ShopState::show_item_info() {
    UiMenu& menu = *view_.page();
    const std::string gold = std::to_string(hero->gold) + " gold";
    if (cursor_.cells == 0) {
        for (const char16_t* name : {u"DESC", u"NAME", u"PRICE", u"DATA1"}) set_control(menu, name, " ");
        set_control(menu, u"MONEY", gold);
        view_.draw_page();
        return;
    }
    cursor_.clamp();
    const size_t cell = size_t(cursor_.selected);
    const ItemRecord& item = buying() ? *buy_cells_[cell] : *sell_cells_[cell]->item;
    const int32_t uses = buying() ? 0 : sell_cells_[cell]->uses;
    set_control(menu, u"DATA1", item.param2 == 0 ? std::string() : world->item_stat_text(item.id, uses));
    set_control(menu, u"DATA2", std::string());
    set_control(menu, u"DESC", item.text2);
    set_control(menu, u"NAME", item.name + " - " + std::to_string(selected_price()) + " gold");
    set_control(menu, u"MONEY", gold);
    if (buying()) show_owned_count(item);
    view_.draw_page();
}

void ShopState::show_owned_count(const ItemRecord& item) {
    if (owned_count_) view_.grid()->remove_sprite(owned_count_);
    const auto owned = std::count_if(hero->inventory.begin(), hero->inventory.end(),
                                     [&](const auto& e) { return e->item == &item; });
    std::string text = std::to_string(owned);
    owned_count_ = count_font_->render_text_ascii(text.data(), 1000, 0, 0, kTextPlain, kAlignLeft, -1, 0);
    const Point at = view_.layout().cell_origin(cursor_.selected);
    view_.grid()->add_sprite(owned_count_, at.x + 1, at.y, kCountDepth, 0, kFadingSprite, 0);
    owned_count_->set_alpha(view_.grid()->group_alpha());
}

// --- buying and selling ----------------------------------------------------------------------

void ShopState::buy_selected() {
    if (cursor_.cells == 0) return;
    ItemRecord& item = *buy_cells_[size_t(cursor_.selected)];
    if (hero->gold < item.price) {
        view_.show_message("Sorry.\n You can't afford it.");
        return;
    }
    if (hero->inventory.size() >= HeroActor::kMaxItems) {
        view_.show_message("You can't carry more.");
        return;
    }
    if (!world->hero_add_item(item.id)) {
        view_.show_message("You can't carry more.");
        return;
    }
    hero->gold -= item.price;
    const int32_t selected = cursor_.selected;
    fill_list();
    cursor_.selected = selected;
    cursor_.clamp();
    view_.show_message(with_name("You bought\n%s.", item.name));
    play_item_sound(u"sfx\\coins.wav");
    show_item_info();
}

void ShopState::sell_selected() {
    if (cursor_.cells == 0) return;
    InventoryEntry* entry = sell_cells_[size_t(cursor_.selected)];
    const std::string name = entry->item->name;
    const int32_t price = sale_price(*entry);
    if (hero->armour == entry) hero->armour = nullptr;
    if (hero->shield == entry) hero->shield = nullptr;
    hero->gold += price;
    hero->remove_entry(entry);
    // Even the last entry sold leaves the page up, empty: only entering the
    // shop may send the game elsewhere.
    fill_list();
    show_item_info();
    view_.show_message(with_name("You sold\n%s", name));
    play_item_sound(u"sfx\\coins.wav");
}

void ShopState::switch_buy_sell() {
    // A buying shop sells next and a selling one buys: a story's buy flag of
    // 1 must not come back as 1.
    ShopRequest next = request_;
    next.third = buying() ? kSelling : kBuyingAgain;
    leave();
    enter(&next);
}

// --- input ----------------------------------------------------------------------------------

void ShopState::run_command(const std::u16string& command) {
    if (command == u"*BUY" && buying()) return buy_selected();
    if (command == u"*SELL" && !buying()) return sell_selected();
    if (command == u"*BUYSELL") return switch_buy_sell();
    if (command == u"*BACK") {
        leaving_ = true;
        return;
    }
    if (command == u"*RIGHT" && cursor_.has_next_page()) return turn_page(1);
    if (command == u"*LEFT" && cursor_.has_previous_page()) return turn_page(-1);
    if (buying()) return;
    if (command == u"*CHANGE") {
        cursor_.page_start = 0;
        return change_tab(tab_ >= kTabQuest ? kTabUsable : tab_ + 1);
    }
    if (const int32_t tab = tab_of_command(command); tab != kNoTab) {
        cursor_.page_start = 0;
        change_tab(tab);
    }
}

void ShopState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress || !view_.grid()) return;
    // Every key press clicks, while the shop fades out too.
    play_menu_click();
    if (leaving_) return;
    // The action key and the first button buy or sell the chosen item, the
    // second switches between buying and selling, the third turns to the
    // next tab; the fourth button and Escape leave the shop.
    switch (game_key) {
    case kKeyAction:
    case kKeyButton1: return buying() ? buy_selected() : sell_selected();
    case kKeyButton2: return switch_buy_sell();
    case kKeyButton3: return run_command(u"*CHANGE");
    case kKeyButton4:
    case kKeyEscape: leaving_ = true; return;
    default: return arrow_key(game_key);
    }
}

void ShopState::arrow_key(uint32_t game_key) {
    if (!view_.frame_on(cursor_.selected)) return;
    if (move_cursor(cursor_, game_key, [this] { fill_list(); }) != CursorMove::kNone) show_item_info();
}

void ShopState::on_pointer(int kind, int32_t x, int32_t y) {
    if (kind != kPenDown || !view_.grid()) return;
    play_menu_click();
    if (leaving_) return;
    const Point origin = view_.page().group()->position();
    std::u16string command;
    if (view_.page()->handle_event(kMenuTap, pack_point(x - origin.x, y - origin.y), &command) == kMenuCommand) {
        run_command(command);
        if (!current() || !view_.grid() || leaving_) return;
    }
    if (cursor_.cells == 0) return;
    const int32_t cell = view_.pick({x, y}, cursor_.selected, cursor_.cells);
    if (cell < 0) return;
    cursor_.selected = cell;
    show_item_info();
}

// --- ticks -------------------------------------------------------------------------------------

void ShopState::update() {
    if (!view_.grid()) return;
    UiMenu& menu = *view_.page();
    const bool right = enable_control(menu, u"rightbutton", cursor_.has_next_page());
    const bool left = enable_control(menu, u"leftbutton", cursor_.has_previous_page());
    if (right || left) view_.draw_page();
    view_.place_frame(cursor_.selected);
    if (!view_.fade(leaving_)) {
        game->switch_state(kWalkingScreen, 0);
        return;
    }
    view_.tick_message();
}
