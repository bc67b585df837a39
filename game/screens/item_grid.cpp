#include "game/screens/item_grid.h"

#include <algorithm>
#include <string>

#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/map_view/tile_kinds.h"
#include "game/map_view/tile_renderer.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/sound/sound_manager.h"
#include "game/story/item_record.h"

namespace {

constexpr uint32_t kSelectionDepth = 1001;
constexpr uint32_t kGridDepth = 1002;
constexpr uint32_t kPageDepth = 1000;
constexpr int32_t kIconDepth = 10;
constexpr int32_t kWornMarkDepth = 11;
constexpr int32_t kMessageBoxDepth = 200;
constexpr int32_t kMessageTextDepth = 300;
constexpr int32_t kMessageTextY = 185;
constexpr int32_t kOpaque = 32;
// Icons stand this far right of their cell's left edge.
constexpr int32_t kIconInset = 5;
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
constexpr const char* kTabVariables[kTabCount] = {"TabItem", "TabArmor", "TabWeapon", "TabWand", "TabQuest"};

int32_t layout_int(IniFile& file, const char* section, const char* key, int32_t index, int32_t fallback = 0) {
    return file.get_int(fallback, key, section, 0, index);
}

bool not_kind_6(const InventoryEntry* e) { return e->item->kind != kItemQuest; }

// The entries with an item, those not of kind 6 ordered by `before`, then
// the kind-6 ones as carried.
template <typename Before>
std::vector<InventoryEntry*> ordered_entries(const Inventory& inventory, Before before) {
    std::vector<InventoryEntry*> entries;
    entries.reserve(inventory.size());
    for (const auto& entry : inventory)
        if (entry->item) entries.push_back(entry.get());
    const auto quest_start = std::stable_partition(entries.begin(), entries.end(), not_kind_6);
    std::stable_sort(entries.begin(), quest_start,
                     [&](const InventoryEntry* a, const InventoryEntry* b) { return before(*a->item, *b->item); });
    return entries;
}

}  // namespace

bool tab_holds(int32_t tab, int32_t kind) {
    switch (tab) {
    case kTabAll: return true;
    case kTabUsable: return kind == kItemUsable;
    case kTabArmour: return kind == kItemArmour || kind == kItemShield;
    case kTabWeapons: return kind == kItemWeapon;
    case kTabWands: return kind == kItemWand;
    case kTabQuest: return kind == kItemQuest;
    default: return false;
    }
}

int32_t tab_of_category(int32_t category) {
    switch (category) {
    case kItemWeapon: return kTabWeapons;
    case kItemWand: return kTabWands;
    case kItemUsable: return kTabUsable;
    case kItemArmour:
    case kItemShield: return kTabArmour;
    case kItemQuest: return kTabQuest;
    default: return category;
    }
}

int32_t tab_of_command(std::u16string_view command) {
    struct TabCommand {
        std::u16string_view command;
        int32_t tab;
    };
    static constexpr TabCommand kTabCommands[] = {{u"*TABWEAPON", kTabWeapons}, {u"*TABWAND", kTabWands},
                                                  {u"*TABITEM", kTabUsable},    {u"*TABARMOR", kTabArmour},
                                                  {u"*TABQUEST", kTabQuest}};
    for (const TabCommand& t : kTabCommands)
        if (command == t.command) return t.tab;
    return kNoTab;
}

std::string inventory_tab_title(int32_t tab) {
    switch (tab) {
    case kTabUsable: return "Inventory - Magic Items";
    case kTabArmour: return "Inventory - Armor";
    case kTabWeapons: return "Inventory - Weapons";
    case kTabWands: return "Inventory - Magic Wands";
    case kTabQuest: return "Inventory - Quest Items";
    default: return "Inventory - All";
    }
}

void write_tab_flags(UiMenu& menu, int32_t lit) {
    for (int32_t tab = 0; tab < kTabCount; ++tab) menu.set_var(narrow_to_wide(kTabVariables[tab]), tab == lit ? 1 : 0);
}

std::vector<InventoryEntry*> inventory_order(const Inventory& inventory) {
    return ordered_entries(inventory, [](const ItemRecord& a, const ItemRecord& b) {
        if (a.sub_kind != b.sub_kind) return a.sub_kind < b.sub_kind;
        return a.value > b.value;
    });
}

std::vector<InventoryEntry*> sell_order(const Inventory& inventory) {
    return ordered_entries(inventory, [](const ItemRecord& a, const ItemRecord& b) {
        if (a.value != b.value) return a.value > b.value;
        return a.sub_kind > b.sub_kind;
    });
}

void sort_buy_list(std::vector<ItemRecord*>& items) {
    std::stable_sort(items.begin(), items.end(), [](const ItemRecord* a, const ItemRecord* b) {
        if (a->sub_kind != b->sub_kind) return a->sub_kind < b->sub_kind;
        return a->value > b->value;
    });
}

// --- layout ----------------------------------------------------------------------

Rect ItemGridLayout::selection_area() const {
    const int32_t x = grid.x - 8, y = grid.y + page.top - 2;
    return {x, y, x + cell.width * per_row + 5, y + cell.height * 3 + grid.y};
}

Rect ItemGridLayout::grid_area(bool with_selection) const {
    const int32_t x = grid.x - 8, y = with_selection ? selection_area().top : grid.y + page.top;
    return {x, y, x + cell.width * per_row + 5, y + cell.height * 5 + grid.y};
}

int32_t ItemGridLayout::cell_at(Point p) const {
    if (p.x < 0 || p.y < 0) return -1;
    const int32_t column = p.x / cell.width, row = p.y / cell.height;
    if (column >= per_row) return -1;
    return row * per_row + column;
}

const char* missing_grid_size(IniFile& file, const char* section) {
    if (layout_int(file, section, "itemx", 1) <= 0) return "itemx";
    if (layout_int(file, section, "itemy", 1) <= 0) return "itemy";
    if (layout_int(file, section, "itemperrow", 0) <= 0) return "itemperrow";
    return nullptr;
}

ItemGridLayout read_item_grid_layout(IniFile& file, const char* section) {
    if (const char* key = missing_grid_size(file, section)) {
        const std::string where = "section [" + std::string(section) + "], key \"" + key + "\"";
        fatal_assert(__FILE__, __LINE__, "The item grid needs a cell size and a number of cells a row above 0.",
                     "layout.ini", where.c_str());
    }
    ItemGridLayout layout;
    layout.grid = {layout_int(file, section, "itemx", 0), layout_int(file, section, "itemy", 0)};
    layout.cell = {layout_int(file, section, "itemx", 1), layout_int(file, section, "itemy", 1)};
    layout.per_row = layout_int(file, section, "itemperrow", 0);
    const int32_t x = layout_int(file, section, "layer", 0), y = layout_int(file, section, "layer", 1);
    layout.page = {x, y, x + layout_int(file, section, "layer", 2, kScreenSize.width), y + layout_int(file, section, "layer", 3, kScreenSize.height)};
    layout.frame_sprite = file.get_string(layout.frame_sprite.c_str(), "sel", section, 0, 0);
    layout.frame_offset = {layout_int(file, section, "sel", 1), layout_int(file, section, "sel", 2)};
    return layout;
}

// --- the cursor ----------------------------------------------------------------------

void GridCursor::clamp() { selected = cells > 0 ? std::clamp(selected, 0, cells - 1) : 0; }

bool GridCursor::back_from_empty_page() {
    if (cells != 0 || page_start == 0 || items_seen == 0) return false;
    page_start = std::max(0, page_start - per_page);
    return true;
}

CursorMove move_cursor(GridCursor& cursor, uint32_t game_key, const std::function<void()>& refill) {
    const CursorMove moved = move_cursor(cursor, game_key);
    if (moved == CursorMove::kPage) {
        const int32_t selected = cursor.selected;
        refill();
        cursor.selected = selected;
        cursor.clamp();
    }
    return moved;
}

CursorMove move_cursor(GridCursor& c, uint32_t game_key) {
    switch (game_key) {
    case kKeyLeft:
        if (c.selected > 0) {
            --c.selected;
            return CursorMove::kCell;
        }
        if (!c.has_previous_page()) return CursorMove::kNone;
        c.page_start -= c.per_page;
        c.selected = c.per_page - 1;
        return CursorMove::kPage;
    case kKeyRight:
        if (c.selected + 1 < c.cells) {
            ++c.selected;
            return CursorMove::kCell;
        }
        if (c.selected != c.cells - 1 || !c.has_next_page()) return CursorMove::kNone;
        c.page_start += c.per_page;
        c.selected = 0;
        return CursorMove::kPage;
    case kKeyDown:
        if (c.selected + c.per_row < c.cells) {
            c.selected += c.per_row;
            return CursorMove::kCell;
        }
        // Within the last row's reach: to the last cell when it lies lower.
        if (c.cells > 0 && (c.cells - 1) / c.per_row > c.selected / c.per_row) {
            c.selected = c.cells - 1;
            return CursorMove::kCell;
        }
        return CursorMove::kNone;
    case kKeyUp:
        if (c.selected < c.per_row) return CursorMove::kNone;
        c.selected -= c.per_row;
        return CursorMove::kCell;
    default: return CursorMove::kNone;
    }
}

// --- the view ----------------------------------------------------------------------------

ItemGridView::ItemGridView() = default;

ItemGridView::~ItemGridView() {
    if (message_font_) {
        message_font_->release();
        delete message_font_;
    }
}

void ItemGridView::build(Game& game, const ItemGridLayout& layout, Rect grid_area, int32_t message_box_y) {
    game_ = &game;
    layout_ = layout;
    message_box_y_ = message_box_y;
    Layer& layer = *game.first_layer();
    const auto add_group = [&layer](Rect area, uint32_t depth) {
        auto* group = new SpriteGroup;
        layer.add_at(group, area.left, area.top, area.width(), area.height(), depth);
        group->set_size(area.width(), area.height());
        return group;
    };
    selection_ = add_group(layout.selection_area(), kSelectionDepth);
    grid_ = add_group(grid_area, kGridDepth);
    page_.add_group(layer, layout.page, kPageDepth);
    frame_ = selection_->create_sprite(narrow_to_wide(layout.frame_sprite), 0, 0, 0, 0, kFadingSprite, 0);
    place_frame(0);
    if (!message_font_) {
        message_font_ = new Font;
        message_font_->load(u"font_rpg");
    }
}

void ItemGridView::remove(Layer* layer) {
    page_.remove_group(layer);
    for (SpriteGroup* group : {selection_, grid_})
        if (group && layer) layer->remove(group);  // deletes the group and its sprites
    selection_ = grid_ = nullptr;
    texts_under_message_.clear();  // gone with the page
    frame_ = message_box_ = message_sprite_ = nullptr;
    cell_sprites_.clear();
    message_timer_ = 0;
    message_.clear();
}

UiMenu& ItemGridView::load_page(std::u16string_view path) {
    texts_under_message_.clear();  // of the page being replaced
    return page_.load(path);
}

void ItemGridView::draw_page() {
    if (!page_) return;
    page_->draw();
    page_.group()->set_all_flags(kFadingSprite);
    page_.group()->set_alpha(page_.group()->group_alpha());
}

void ItemGridView::start_fade_in() {
    for (SpriteGroup* group : {selection_, grid_, page_.group()}) {
        group->set_all_flags(kFadingSprite);
        group->set_alpha(0);
    }
}

bool ItemGridView::fade(bool leaving) {
    const int32_t step = leaving ? -1 : 1;
    page_.group()->add_alpha(step);
    grid_->add_alpha(step);
    const bool changed = selection_->add_alpha(step) != 0;
    return !leaving || changed;
}

void ItemGridView::clear_cells() {
    for (Sprite* sprite : cell_sprites_) grid_->remove_sprite(sprite);
    cell_sprites_.clear();
}

void ItemGridView::add_icon(int32_t cell, const ItemRecord& item) {
    const Point at = layout_.cell_origin(cell);
    Sprite* icon = game_->map_cells().renderer().get_tile_sprite(kTileItem, *grid_, at.x + kIconInset, at.y,
                                                                  kIconDepth, std::max(item.param1, 0));
    if (!icon) return;
    icon->set_flags(kFadingSprite);
    icon->set_alpha(0);
    cell_sprites_.push_back(icon);
}

void ItemGridView::add_worn_mark(int32_t cell) {
    const Point at = layout_.cell_origin(cell);
    Sprite* mark = grid_->create_sprite(u"menus\\inv\\inv_active.spr", at.x, at.y, kWornMarkDepth, 0, kFadingSprite, 0);
    mark->set_alpha(0);
    cell_sprites_.push_back(mark);
}

void ItemGridView::place_frame(int32_t cell) {
    if (!frame_) return;
    const Point at = layout_.cell_origin(cell);
    const int32_t x = layout_.frame_offset.x + at.x - 2, y = layout_.frame_offset.y + at.y - 2;
    if (frame_->x != x || frame_->y != y) {
        frame_->set_position(x, y, Sprite::KEEP);
        selection_->invalidate_sprite(frame_);
    }
}

bool ItemGridView::frame_on(int32_t cell) const {
    if (!frame_) return false;
    const Point at = layout_.cell_origin(cell);
    return frame_->x == layout_.frame_offset.x + at.x - 2 && frame_->y == layout_.frame_offset.y + at.y - 2;
}

void ItemGridView::set_frame_visible(bool visible) {
    if (!frame_) return;
    frame_->set_visible(visible ? 1 : 0);
    selection_->invalidate_sprite(frame_);
}

void ItemGridView::set_frame_phase(int32_t phase) {
    if (frame_) selection_->set_sprite_phase(frame_, phase);
}

void ItemGridView::show_message(std::string_view text) {
    if (!message_box_) {
        message_box_ = grid_->create_sprite(u"menus\\inv\\infobox.spr", 0, message_box_y_, kMessageBoxDepth, 0,
                                            ALPHA_LAYER, 0);
    }
    if (message_sprite_) grid_->remove_sprite(message_sprite_);
    std::string copy(text);
    message_sprite_ = message_font_->render_text_ascii(copy.data(), 1000, 0, 0, kTextPlain, kAlignCenter, -1, 0);
    const int32_t x = game_->first_layer()->size().width / 2 - grid_->position().x;
    grid_->add_sprite(message_sprite_, x, kMessageTextY, kMessageTextDepth, 0, GRAB_CENTER | ALPHA_LAYER, 0);
    message_box_->set_alpha(kOpaque);
    message_sprite_->set_alpha(kOpaque);
    grid_->invalidate_sprite(message_box_);
    message_timer_ = kMessageTicks;
    message_ = text;
    hide_texts_under_message();
}

void ItemGridView::hide_message() {
    if (message_box_) grid_->remove_sprite(message_box_);
    if (message_sprite_) grid_->remove_sprite(message_sprite_);
    message_box_ = message_sprite_ = nullptr;
    message_timer_ = 0;
    message_.clear();
    show_hidden_texts();
}

void ItemGridView::hide_texts_under_message() {
    if (!page_ || !page_->current() || !message_box_) return;
    const Point page_origin = page_.group()->position();
    const Rect box = Rect::from(grid_->position() + Point{message_box_->x, message_box_->y},
                                {message_box_->frame_width, message_box_->frame_height});
    bool hid = false;
    for (const auto& control : page_->current()->controls()) {
        if (control->kind != kUiText || !control->visible) continue;
        // A text starting on the box's rows counts even while it is blank:
        // the next item's text would fill it.
        const Rect text = control->screen_rect().offset(page_origin);
        if (!text.intersects(box) && (text.top < box.top || text.top >= box.bottom)) continue;
        control->visible = 0;
        texts_under_message_.push_back(control.get());
        hid = true;
    }
    if (hid) draw_page();
}

void ItemGridView::show_hidden_texts() {
    if (texts_under_message_.empty()) return;
    for (UiControl* control : texts_under_message_) control->visible = 1;
    texts_under_message_.clear();
    draw_page();
}

void ItemGridView::tick_message() {
    if (!message_box_) return;
    if (--message_timer_ <= 0) {
        hide_message();
        return;
    }
    if (message_timer_ < kOpaque) {
        message_box_->set_alpha(message_timer_ - 1);
        message_sprite_->set_alpha(message_timer_ - 1);
        grid_->invalidate_sprite(message_box_);
        grid_->invalidate_sprite(message_sprite_);
    }
}

int32_t ItemGridView::pick(Point at, int32_t current, int32_t filled) const {
    const Point origin = grid_->position();
    const Size size = grid_->size();
    const Point in_group{at.x - origin.x, at.y - origin.y};
    if (in_group.x < 0 || in_group.y < 0 || in_group.x >= size.width || in_group.y >= size.height) return current;
    const int32_t cell = layout_.cell_at(in_group);
    return cell >= 0 && cell < filled ? cell : -1;
}

void play_item_sound(std::u16string_view name) {
    constexpr int kFullVolume = 255;
    if (g_sound_manager) g_sound_manager->play_sound(name, kFullVolume, -1, false);
}

void set_control(UiMenu& menu, std::u16string_view name, std::string_view text) {
    ui_set_element_text(&menu, name, text);
}

bool enable_control(UiMenu& menu, std::u16string_view name, bool enabled) {
    UiControl* control = find_menu_control(&menu, name);
    if (!control || (control->enabled != 0) == enabled) return false;
    control->enabled = enabled ? 1 : 0;
    return true;
}
