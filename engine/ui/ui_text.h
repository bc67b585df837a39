// A text label.
#pragma once

#include "engine/ui/ui_control.h"

class MenuFont;

class UiText : public UiControl {
public:
    UiText(UiPage* page, MenuFont* font, std::u16string title, std::optional<std::u16string> object_name);
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t, int32_t, std::u16string*) override { return 1; }
    void set_text(std::u16string text) override { title = std::move(text); }
    // Mode 0 keeps the font's own colour; colour is 0xBBGGRR.
    void set_color(int32_t mode, uint32_t rgb) {
        color_mode = mode;
        color = rgb;
    }

    std::u16string title;
    int32_t color_mode = 0;
    uint32_t color = 0;
    MenuFont* font;
};
