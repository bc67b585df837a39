// The shop ("Shop"): a shopkeeper's goods of one category from the story's
// item groups, those that suit the hero's level, to buy; or the hero's items
// to sell, paying in full for quest items, 60 percent for items of the
// shop's category and 40 percent for the rest. The same grid, frame and
// messages as the inventory's item page (layout.ini, section "shop"). Taps
// act on pen down and keys on key down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/screens/item_grid.h"
#include "game/session/game_screen_state.h"
#include "game/session/screen_subjects.h"

class Font;
class Sprite;

// "You have no weapons to sell." and the others, by the category the shop
// was opened with (1 to 6); "You have nothing to sell." for other values.
std::string nothing_to_sell_text(int32_t category);

class ShopState : public GameScreenState {
public:
    static constexpr int32_t kMaxGold = 99999;
    // The buy flag *BUYSELL gives a shop that was buying.
    static constexpr uint32_t kSelling = 0, kBuyingAgain = 2;

    ShopState();
    ~ShopState() override;

    // The argument points at a ShopRequest: the keeper, the category (first),
    // the extra value (second) and the buy flag (third, 0 sells).
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    bool buying() const { return request_.third != 0; }
    const ShopRequest& request() const { return request_; }
    int32_t category() const { return request_.first; }
    // The sell page's tab, or the buy page's category.
    int32_t tab() const { return tab_; }
    bool leaving() const { return leaving_; }
    const GridCursor& cursor() const { return cursor_; }
    const std::vector<ItemRecord*>& buy_cells() const { return buy_cells_; }
    const std::vector<InventoryEntry*>& sell_cells() const { return sell_cells_; }
    UiMenu* menu() const { return view_.page().get(); }
    const ItemGridView& view() const { return view_; }
    const std::string& message() const { return view_.message_text(); }
    // What the selected cell costs or fetches; 0 without cells.
    int32_t selected_price() const;
    // What the shop pays for one of the hero's entries.
    int32_t sale_price(const InventoryEntry& entry) const;

private:
    bool current() const;
    void build_pages();
    void fill_list();
    void fill_buy_list();
    void fill_sell_list();
    void change_tab(int32_t tab);
    void turn_page(int32_t pages);
    void show_item_info();
    void show_owned_count(const ItemRecord& item);
    void buy_selected();
    void sell_selected();
    void switch_buy_sell();
    void run_command(const std::u16string& command);
    void arrow_key(uint32_t game_key);

    ShopRequest request_;
    ItemGridView view_;
    GridCursor cursor_;
    int32_t tab_ = 0;
    int32_t second_category_ = 0;
    bool leaving_ = false;
    bool left_enabled_ = false, right_enabled_ = false;
    std::vector<ItemRecord*> buy_cells_;
    std::vector<InventoryEntry*> sell_cells_;
    Sprite* owned_count_ = nullptr;
    Font* count_font_ = nullptr;
};
