// A stepped value shown as the frames of a sprite (one frame per step).
#pragma once

#include "engine/ui/ui_control.h"

class MenuFont;

class UiSlider : public UiControl {
public:
    UiSlider(UiPage* page, MenuFont* font, std::optional<std::u16string> sprite_name,
             std::optional<std::u16string> command, std::optional<std::u16string> object_name, MenuVar* cell,
             std::optional<std::u16string> focus_name);
    ~UiSlider() override;
    void load() override;
    void unload() override;
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { sprite_name = std::move(text); }

    // Steps of the loaded sprite: bitmap height / frame height, at least 1.
    int32_t step_count() const;

    std::optional<std::u16string> sprite_name;
    std::optional<std::u16string> focus_name;
    MenuFont* font;
    Sprite* steps = nullptr;
    Sprite* focus_sprite = nullptr;
    std::optional<std::u16string> command;
    int32_t last_step = 0;
    MenuVar* cell;
};
