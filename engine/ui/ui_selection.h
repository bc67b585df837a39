// A left/right chooser among options; an option may hand a picture name to
// the control that follows (NextBmp).
#pragma once

#include <vector>

#include "engine/ui/ui_control.h"

class MenuFont;

struct UiOption {
    int32_t next_bitmap = 0;
    std::u16string title;
    std::optional<std::u16string> image;
    int32_t value = 0;
};

class UiSelection : public UiControl {
public:
    UiSelection(UiPage* page, MenuFont* font, std::u16string title, MenuVar* cell);
    void add_option(std::u16string title, std::optional<std::u16string> image, int32_t value, int32_t next_bitmap);
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { title = std::move(text); }

    std::u16string title;
    MenuFont* font;
    std::vector<UiOption> options;
    MenuVar* cell;
    int32_t chosen = 0;
};
