// What the inventory and the shop share: the grid of item icons laid out by
// a section of "layout.ini", the orders and tab filters of its items, the
// selection moving over the cells and from page to page, and the frame of
// sprite groups both screens draw in (selection frame, icons, page, and the
// short messages over the grid).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/geometry.h"
#include "game/screens/menu_screen.h"
#include "game/world/actor.h"

class Font;
class Game;
class IniFile;
class Layer;
class Sprite;
class SpriteGroup;
class UiControl;
class UiMenu;
struct ItemRecord;

// Tabs of the item pages: which item kinds each shows.
enum ItemTab : int32_t { kTabAll = -1, kTabUsable = 0, kTabArmour = 1, kTabWeapons = 2, kTabWands = 3, kTabQuest = 4 };
inline constexpr int32_t kTabCount = 5;

// Whether an item of `kind` shows on the tab.
bool tab_holds(int32_t tab, int32_t kind);
// The tab that shows a shop category's items: 1 weapons -> 2, 2 wands -> 3,
// 3 usable -> 0, 4 and 5 armour and shields -> 1, 6 quest items -> 4; other
// values stay as they are.
int32_t tab_of_category(int32_t category);
// The tab a "*TABWEAPON", "*TABWAND", "*TABITEM", "*TABARMOR" or "*TABQUEST"
// command chooses; kNoTab for any other command.
inline constexpr int32_t kNoTab = -2;
int32_t tab_of_command(std::u16string_view command);
// "Inventory - Weapons" and the others; "Inventory - All" for kTabAll.
std::string inventory_tab_title(int32_t tab);

// The five page variables that light the tab pictures, in tab order
// (TabItem, TabArmor, TabWeapon, TabWand, TabQuest): 1 for `lit`, 0 for the
// others. A `lit` outside 0..4 lights none.
void write_tab_flags(UiMenu& menu, int32_t lit);

// The inventory's order: entries not of kind 6 by sub-kind, lowest first,
// and equal sub-kinds by value, highest first; then the kind-6 entries as
// carried. Entries without an item are left out.
std::vector<InventoryEntry*> inventory_order(const Inventory& inventory);
// The shop's selling order: by value, highest first, equal values by
// sub-kind, highest first; then the kind-6 entries as carried.
std::vector<InventoryEntry*> sell_order(const Inventory& inventory);
// The shop's buying order: by sub-kind, lowest first, equal sub-kinds by
// value, highest first.
void sort_buy_list(std::vector<ItemRecord*>& items);

// A grid section of "layout.ini" ("inv" or "shop").
struct ItemGridLayout {
    Point grid;        // itemx[0], itemy[0]: the first cell (y below the page's top)
    Size cell;         // itemx[1], itemy[1]
    int32_t per_row = 1;  // itemperrow
    Rect page;         // layer: where the page stands
    std::string frame_sprite = "menus/inv/sel.spr";  // sel[0]
    Point frame_offset;  // sel[1], sel[2]

    // 26 with seven cells a row, else 18.
    int32_t cells_per_page() const { return per_row == 7 ? 26 : 18; }
    // A cell's top-left corner within the grid group.
    Point cell_origin(int32_t index) const { return {index % per_row * cell.width, index / per_row * cell.height}; }
    // The selection group's place on the map layer: 2 px above the first
    // row, so that the frame's edge shows above a cell.
    Rect selection_area() const;
    // The grid group's place: the shop's on the first row, the inventory's
    // (`with_selection`) where its selection group stands.
    Rect grid_area(bool with_selection) const;
    // The cell under a point of the grid group, or -1 outside the columns
    // and rows (a point right of the last column picks nothing).
    int32_t cell_at(Point in_group) const;
};

// The key of the section whose cell size or cells a row is missing or not
// above 0 ("itemx", "itemy" or "itemperrow"); null when all are there.
const char* missing_grid_size(IniFile& file, const char* section);
// The section's values. A missing cell size or row length ends the program
// with a report naming the file, the section and the key.
ItemGridLayout read_item_grid_layout(IniFile& file, const char* section);

// The selection on a grid shown a page at a time.
struct GridCursor {
    int32_t selected = 0;    // cell
    int32_t cells = 0;       // cells filled on this page
    int32_t page_start = 0;  // index of the page's first item among the listed ones
    int32_t items_seen = 0;  // items listed on all pages
    int32_t per_page = 18;
    int32_t per_row = 1;

    bool has_next_page() const { return page_start + per_page < items_seen; }
    bool has_previous_page() const { return page_start >= per_page; }
    // Whether the listed item of this index stands on the page shown.
    bool on_page(int32_t index) const { return index >= page_start && index < page_start + per_page; }
    // A page left empty (its last item gone) turns to the page before it;
    // true when it did, and the cells are to be filled again.
    bool back_from_empty_page();
    // The selection moved into the filled cells (0 without cells).
    void clamp();
};

enum class CursorMove { kNone, kCell, kPage };
// The arrow keys: Left (previous), Right (next), Up (row up) and Down (row
// down). From the last cell with items after it, Right turns to the next
// page's first cell; from cell 0 of a later page, Left to the previous
// page's last cell. A page change leaves `cells` for the caller to fill
// again.
CursorMove move_cursor(GridCursor& cursor, uint32_t game_key);
// The same, filling the cells again by `refill` after a page change.
CursorMove move_cursor(GridCursor& cursor, uint32_t game_key, const std::function<void()>& refill);

// The sprite groups of an item screen on the game's map layer while it is
// entered: the selection frame (1001), the grid of icons (1002) and the page
// menu (1000); plus the message box over the grid. (The game's display is
// 240 x 320, so no cover pictures are needed at the sides.)
class ItemGridView {
public:
    static constexpr int32_t kMessageTicks = 100;

    ItemGridView();
    ~ItemGridView();
    ItemGridView(const ItemGridView&) = delete;
    ItemGridView& operator=(const ItemGridView&) = delete;

    // Makes the groups and the selection frame; the grid group stands at
    // `grid_area` and the message box `message_box_y` below its top.
    void build(Game& game, const ItemGridLayout& layout, Rect grid_area, int32_t message_box_y);
    // Takes every group off the layer (null when the layer is gone).
    void remove(Layer* layer);
    // Loads a page file into the page group.
    UiMenu& load_page(std::u16string_view path);
    MenuPage& page() { return page_; }
    const MenuPage& page() const { return page_; }
    SpriteGroup* grid() const { return grid_; }
    SpriteGroup* selection() const { return selection_; }
    const ItemGridLayout& layout() const { return layout_; }

    // Draws the menu, its sprites following the page group's fade.
    void draw_page();
    // The selection, grid and page groups start see-through (the fade-in).
    void start_fade_in();
    // One tick of the fade: in while not leaving, out while leaving. False
    // once the fade-out is over (the selection group no longer changes).
    bool fade(bool leaving);

    // Removes the cells' icons and marks.
    void clear_cells();
    // The item's icon in a cell, and the worn-gear mark over a cell.
    void add_icon(int32_t cell, const ItemRecord& item);
    void add_worn_mark(int32_t cell);

    // The selection frame over a cell; whether it already stands there.
    void place_frame(int32_t cell);
    bool frame_on(int32_t cell) const;
    void set_frame_visible(bool visible);
    // Animation frame of the selection frame.
    void set_frame_phase(int32_t phase);

    // A short message over the grid for kMessageTicks ticks; fades out at
    // the end. The page's texts under its box are hidden while it shows
    // (as the box fades they would show through it, under its text) and
    // come back when it has gone.
    void show_message(std::string_view text);
    void hide_message();
    bool message_up() const { return message_box_ != nullptr; }
    const Sprite* message_box() const { return message_box_; }
    void tick_message();
    const std::string& message_text() const { return message_; }

    // The cell (within the filled ones) a pen at screen point `at` picks:
    // the cell under it inside the grid group, else `current`; -1 when the
    // pen is over the grid but picks no filled cell.
    int32_t pick(Point at, int32_t current, int32_t filled) const;

private:
    void hide_texts_under_message();
    void show_hidden_texts();

    Game* game_ = nullptr;
    ItemGridLayout layout_;
    int32_t message_box_y_ = 0;
    SpriteGroup* selection_ = nullptr;
    SpriteGroup* grid_ = nullptr;
    MenuPage page_;
    Sprite* frame_ = nullptr;
    std::vector<Sprite*> cell_sprites_;
    Sprite* message_box_ = nullptr;
    Sprite* message_sprite_ = nullptr;
    int32_t message_timer_ = 0;
    std::string message_;
    Font* message_font_ = nullptr;
    std::vector<UiControl*> texts_under_message_;  // of the page shown, hidden
};

// "sfx\..." at full volume, when the game has sound.
void play_item_sound(std::u16string_view name);

// Sets a control's text from an 8-bit text (nothing when it is missing).
void set_control(UiMenu& menu, std::u16string_view name, std::string_view text);
// Enables or disables a control; true when that changed anything.
bool enable_control(UiMenu& menu, std::u16string_view name, bool enabled);
