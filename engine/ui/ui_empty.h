// An invisible tap area with a command.
#pragma once

#include "engine/ui/ui_control.h"

class UiEmpty : public UiControl {
public:
    UiEmpty(UiPage* page, std::optional<std::u16string> command);
    void draw_layout(SpriteGroup& group, int32_t& running_y) override;
    int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) override;
    void set_text(std::u16string text) override { command = std::move(text); }

    std::optional<std::u16string> command;
};
