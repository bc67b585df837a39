// A picture (a BMP file) or an icon (a sprite definition) whose frame shows
// a variable, the focus, or the disabled look. With a command it can take
// the focus and be pressed.
#pragma once

#include "engine/ui/ui_control.h"

class UiBitmap : public UiControl {
public:
    UiBitmap(UiPage* page, std::optional<std::u16string> image, std::optional<std::u16string> sprite_name,
             std::optional<std::u16string> command, MenuVar* phase_cell, std::optional<std::u16string> object_name);
    ~UiBitmap() override;
    void load() override;
    void unload() override;
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    int32_t on_var_changed(MenuVar* cell) override;
    void set_text(std::u16string text) override { image = std::move(text); }
    // The group deleted its sprites: forget the one shown.
    void forget_displayed() { displayed = nullptr; }

    int32_t frame() const;

    std::optional<std::u16string> image;
    std::optional<std::u16string> sprite_name;
    Sprite* loaded = nullptr;
    std::optional<std::u16string> command;
    MenuVar* phase_cell;
    Sprite* displayed = nullptr;  // owned by the group
};
