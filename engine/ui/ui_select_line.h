// A line that sets its variable to its own value when chosen.
#pragma once

#include "engine/ui/ui_control.h"

class MenuFont;

class UiSelectLine : public UiControl {
public:
    UiSelectLine(UiPage* page, MenuFont* font, std::u16string title, int32_t value, MenuVar* cell,
                 std::u16string image);
    ~UiSelectLine() override;
    void load() override;
    void unload() override;
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { title = std::move(text); }

    std::u16string title;
    MenuFont* font;
    int32_t value;
    MenuVar* cell;
    std::u16string image;
    Sprite* icon = nullptr;
};
