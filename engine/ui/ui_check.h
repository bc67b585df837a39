// A check box (toggles 0/1), a radio button (sets its VALUE) or a state
// cycler (counts up to STATENUM and wraps), with an icon and a title.
#pragma once

#include "engine/ui/ui_control.h"

class MenuFont;

class UiCheck : public UiControl {
public:
    UiCheck(UiPage* page, MenuFont* font, std::u16string title, MenuVar* cell, std::u16string image,
            int32_t value, std::optional<std::u16string> command, int32_t state_count,
            std::optional<std::u16string> object_name, std::optional<std::u16string> focus_name);
    ~UiCheck() override;
    void load() override;
    void unload() override;
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { title = std::move(text); }

    // The icon frame for the variable's value.
    int32_t icon_frame() const;
    // The value a press gives.
    int32_t next_value() const;

    std::u16string title;
    std::optional<std::u16string> focus_name;
    MenuFont* font;
    MenuVar* cell;
    std::u16string image;
    int32_t value;  // -1: not a radio button
    Sprite* icon = nullptr;
    Sprite* focus_sprite = nullptr;
    std::optional<std::u16string> command;
    int32_t state_count;  // -1: not a cycler
};
