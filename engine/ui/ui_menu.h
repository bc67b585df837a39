// A menu: the pages, controls and variables of one ".def" file, drawn into a
// sprite group the screen owns, turning the screen's keys and taps into
// commands ("*..." for the screen; any other text names a page to show).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ui/menu_font.h"
#include "engine/ui/menu_variable.h"
#include "engine/ui/ui_page.h"

class Sprite;
class SpriteGroup;

// Drawing a whole page takes long; after it, the time spent must not be caught
// up as game steps. The application's frame loop installs what does that.
using PageDrawnHook = void (*)();
void set_page_drawn_hook(PageDrawnHook hook);

class UiMenu {
public:
    // Reads the file (a missing one is fatal), loads the check and radio
    // sprites and activates the first page.
    UiMenu(SpriteGroup* group, std::u16string_view def_path);
    // Builds from text already in memory; the same steps.
    static std::unique_ptr<UiMenu> from_text(SpriteGroup* group, std::string_view def_text);
    ~UiMenu();
    UiMenu(const UiMenu&) = delete;
    UiMenu& operator=(const UiMenu&) = delete;

    void load_def(std::u16string_view path);
    void load_def_text(std::string_view text);
    void load_check_sprites();
    // Frees the check and radio sprites and deactivates the current page.
    void release();

    void draw();
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out);
    void show_page(std::u16string_view name);
    int32_t find_page(std::u16string_view name) const;
    void focus_first();
    UiControl* find_control(std::u16string_view name) const;

    int32_t get_var(std::u16string_view name) const;
    // Replaces the number (creating the variable); the old value, 0 if new.
    int32_t set_var(std::u16string_view name, int32_t value);
    MenuVar* bind_var(std::u16string_view name);
    MenuVar* find_var(std::u16string_view name) const;
    MenuVar* add_var(MenuVar var);
    MenuFont* get_font(std::u16string_view name);

    void update() {}
    int32_t on_key(int32_t) { return 0; }
    int32_t on_pointer(int32_t, int32_t) { return 0; }

    SpriteGroup* group() const { return group_; }
    UiPage* current() const;
    int32_t current_index() const { return current_page_; }
    size_t page_count() const { return pages_.size(); }
    UiPage* page(size_t i) const { return pages_[i].get(); }
    UiPage* add_page(std::u16string name);

    // An empty menu with no pages; load_def_text fills it.
    explicit UiMenu(SpriteGroup* group);

private:

    std::vector<std::unique_ptr<UiPage>> pages_;
    int32_t current_page_ = 0;
    std::vector<std::unique_ptr<MenuFont>> fonts_;
    Sprite* check_sprite_ = nullptr;
    Sprite* radio_sprite_ = nullptr;
    std::deque<MenuVar> variables_;  // stable cells
    SpriteGroup* group_;
};
