// A text button that reports its command when pressed or tapped.
#pragma once

#include "engine/ui/ui_control.h"

class MenuFont;

class UiButton : public UiControl {
public:
    UiButton(UiPage* page, MenuFont* font, std::optional<std::u16string> title,
             std::optional<std::u16string> command, std::optional<std::u16string> object_name);
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { title = std::move(text); }

    std::optional<std::u16string> title;  // none draws as an empty text
    MenuFont* font;
    Sprite* icon = nullptr;  // not owned; none for buttons read from a file
    std::optional<std::u16string> command;
};
