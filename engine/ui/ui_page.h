// One page of a menu: its controls in file order (the order of drawing, hit
// testing and focus movement), its background picture and its focus.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ui/ui_control.h"

class Bitmap;
class MenuFont;
class SpriteGroup;
class UiMenu;
class UiSelection;

class UiPage {
public:
    UiPage(UiMenu* menu, std::u16string name);
    ~UiPage();
    UiPage(const UiPage&) = delete;
    UiPage& operator=(const UiPage&) = delete;

    const std::u16string& name() const { return name_; }
    UiMenu* menu() const { return menu_; }
    const std::vector<std::unique_ptr<UiControl>>& controls() const { return controls_; }

    void set_image(std::optional<std::u16string> name);
    // Takes the background and every control's sprites; clears the focus.
    void activate();
    void deactivate();
    bool active() const { return active_; }
    void draw(SpriteGroup& group);
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out);
    void focus_first();
    // Writes the variable, then tells every control of the page.
    void notify_var(MenuVar* cell, int32_t value);
    UiControl* find_control(std::u16string_view name) const;
    UiControl* focused_control() const;

    // Appends a control; the page owns it.
    UiControl* add_control(std::unique_ptr<UiControl> control);

    int32_t focused = -1;
    int32_t start_y = 0;
    UiControl* hotkey1 = nullptr;
    UiControl* hotkey2 = nullptr;

private:
    bool can_focus(UiControl& control) const;
    void take_focus(int32_t index);
    void drop_focus();
    int32_t move_focus(int32_t step);
    int32_t handle_key(int32_t key, std::u16string* out, UiControl*& answered);
    int32_t handle_tap(int32_t param, std::u16string* out, UiControl*& answered);
    int32_t handle_pointer_focus(int32_t param);
    int32_t pass_text_on(size_t from, std::u16string text);

    UiMenu* menu_;
    std::u16string name_;
    std::optional<std::u16string> image_name_;
    Bitmap* background_ = nullptr;
    std::vector<std::unique_ptr<UiControl>> controls_;
    bool active_ = false;
};
