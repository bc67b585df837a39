// The inventory ("Inventory"): three pages of one menu file over the map.
// The stats page shows the hero's attributes with the potions' boosts, the
// worn armour and shield and the gold; the item page shows the carried items
// as a grid of icons in five tabs, where the selected one is used, put on,
// taken off or (after a question) dropped; the quest page lists the open and
// the done quests with the chosen one's description. Taps act on pen down
// and keys on key down, except on the drop question (focus style).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/screens/item_grid.h"
#include "game/screens/menu_screen.h"
#include "game/session/game_screen_state.h"

class Font;
class Sprite;
class SpriteGroup;

class InventoryState : public GameScreenState {
public:
    enum Page : int32_t { kStatsPage = 0, kQuestPage = 1, kItemPage = 2 };
    // What enter's argument opens.
    enum Opening : int32_t { kOpenStats = 0, kOpenArmour = 1, kOpenItems = 2 };
    static constexpr int32_t kMaxGold = 99999;

    // A quest as listed: its name, the line shown in the list and the
    // description.
    struct QuestLine {
        std::string name;
        std::string text1;
        std::string text2;
    };

    InventoryState();
    ~InventoryState() override;

    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    int32_t page() const { return page_; }
    int32_t tab() const { return tab_; }
    bool leaving() const { return leaving_; }
    const GridCursor& cursor() const { return cursor_; }
    // The entry in each filled cell of the page shown.
    const std::vector<InventoryEntry*>& cell_entries() const { return cell_entries_; }
    InventoryEntry* selected_entry() const;
    UiMenu* menu() const { return view_.page().get(); }
    UiMenu* dialog() const { return dialog_.get(); }
    const std::string& message() const { return view_.message_text(); }
    const std::vector<QuestLine>& quest_lines() const { return quest_lines_; }
    const ItemGridView& view() const { return view_; }

private:
    // Pages.
    void show_page(int32_t page, bool armour_tab);
    void fill_stats();
    void place_equipment();
    // The item grid.
    void change_tab(int32_t tab);
    void rebuild_grid();
    void show_item_info();
    void item_key(uint32_t game_key);
    void item_command(const std::u16string& command);
    void item_pen(Point at, const std::u16string& command);
    // Using, wearing and dropping.
    void use_selected();
    void use_usable(InventoryEntry& entry);
    void drink_potion(InventoryEntry& entry);
    void toggle_gear(InventoryEntry& entry);
    void use_up(InventoryEntry& entry);
    void drop_selected();
    void open_drop_question(const InventoryEntry& entry);
    void close_drop_question(bool drop);
    void dialog_input(const MenuInput& input);
    // Quests.
    void build_quest_list(int32_t done);
    void show_quest_description();
    void move_quest_selection(int32_t step);
    void quest_key(uint32_t game_key);
    void quest_command(const std::u16string& command);
    void stats_key(uint32_t game_key);
    void stats_command(const std::u16string& command);
    void start_leaving();
    void message(const std::string& text);

    ItemGridView view_;
    MenuPage dialog_;
    int32_t page_ = kStatsPage;
    bool leaving_ = false;
    int32_t frame_counter_ = 0;
    int32_t tab_ = kTabWeapons;
    GridCursor cursor_;
    std::vector<InventoryEntry*> cell_entries_;
    InventoryEntry* drop_candidate_ = nullptr;
    // The drop question takes keys on release, but only of a key pressed
    // while it is up: the release of the key that opened it is not an answer.
    static constexpr uint32_t kNoKey = UINT32_MAX;
    uint32_t key_down_over_question_ = kNoKey;
    bool left_enabled_ = false, right_enabled_ = false;

    // The stats page's pictures of the worn gear, in a group over the page.
    SpriteGroup* equipment_ = nullptr;
    Point armour_at_, shield_at_;

    // The quest page.
    SpriteGroup* quest_group_ = nullptr;
    Sprite* quest_bar_ = nullptr;
    std::vector<QuestLine> quest_lines_;
    int32_t selected_quest_ = 0;
    int32_t quest_scroll_target_ = 0;
    int32_t quest_line_height_ = 14;
    std::string quest_bar_sprite_;
    Font* quest_font_ = nullptr;
};
