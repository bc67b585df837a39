#include "engine/ui/ui_control.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"

UiControl::UiControl(UiPage* owner, int32_t control_kind, std::optional<std::u16string> name)
    : object_name(std::move(name)), page(owner), kind(control_kind) {}

int32_t UiControl::on_var_changed(MenuVar*) { return 1; }

void UiControl::layout(Size group_size, int32_t& running_y) {
    if (y_attr == -1)
        screen_y = running_y + top_margin;
    else if (y_attr < -1)
        screen_y = y_attr + group_size.height;
    else
        screen_y = y_attr;

    if (x_attr == -1) {
        switch (align) {
        case kUiCenter: screen_x = left_margin + (group_size.width - left_margin - width - right_margin) / 2; break;
        case kUiRight: screen_x = group_size.width - width - right_margin; break;
        default: screen_x = left_margin; break;  // LEFT, and JUSTIFY, which has no x of its own
        }
    } else if (x_attr < -1) {
        screen_x = group_size.width + x_attr;
    } else {
        switch (align) {
        case kUiCenter: screen_x = x_attr - width / 2; break;
        case kUiRight: screen_x = x_attr - width; break;
        default: screen_x = x_attr; break;
        }
    }
    if (!no_height) running_y += top_margin + height + bottom_margin;
}

bool UiControl::hit(int32_t x, int32_t y) const {
    return x > screen_x && x < screen_x + width && y > screen_y && y < screen_y + height;
}

int32_t clamp_placement(int32_t value) { return std::clamp(value, -kMaxPlacement, kMaxPlacement); }

void add_control_sprite(SpriteGroup& group, Sprite* sprite, int32_t x, int32_t y, int32_t depth, int32_t frame) {
    if (!sprite) return;
    sprite->set_phase(frame);
    group.add_sprite(sprite, x, y, depth, 0, 0, 0);
}

Size IconTextPair::size() const {
    int32_t icon_w = icon ? icon->frame_width : 0, icon_h = icon ? icon->frame_height : 0;
    int32_t text_w = text ? text->frame_width : 0, text_h = text ? text->frame_height : 0;
    int32_t gap = icon && text ? 2 : 0;
    return {icon_w + gap + text_w, std::max(icon_h, text_h)};
}

void IconTextPair::lay_out(SpriteGroup& group, UiControl& control, int32_t& running_y, int32_t icon_frame) const {
    Size whole = size();
    control.width = whole.width;
    control.height = whole.height;
    control.layout(group.size(), running_y);
    place(group, control, icon_frame);
}

void IconTextPair::place(SpriteGroup& group, const UiControl& control, int32_t icon_frame) const {
    Size whole = size();
    int32_t icon_w = icon ? icon->frame_width : 0, text_w = text ? text->frame_width : 0;
    int32_t gap = icon && text ? 2 : 0;
    int32_t icon_x = control.screen_x, text_x = control.screen_x + icon_w + gap;
    if (control.align == kUiRight) {
        text_x = control.screen_x;
        icon_x = control.screen_x + text_w + gap;
    }
    auto drop = [&](const Sprite* s) { return centre && s ? (whole.height - s->frame_height) / 2 : 0; };
    if (icon) add_control_sprite(group, icon, icon_x, control.screen_y + drop(icon), control.z, icon_frame);
    if (text) group.add_sprite(text, text_x, control.screen_y + drop(text), control.z, 0, 0, 0);
}

namespace {

Sprite* keep_if_usable(Sprite* sprite, std::u16string_view name) {
    if (sprite->def && sprite->bitmap() && sprite->frame_width > 0 && sprite->frame_height > 0) return sprite;
    std::string narrow;
    for (char16_t c : name) narrow.push_back(c < 0x80 ? char(c) : '?');
    std::fprintf(stderr, "menu: \"%s\" gave no picture; it is left out\n", narrow.c_str());
    delete sprite;
    return nullptr;
}

}  // namespace

Sprite* load_menu_sprite(std::u16string_view name) {
    auto* sprite = new Sprite;
    sprite->load(name, 1);
    return keep_if_usable(sprite, name);
}

Sprite* load_menu_picture(std::u16string_view name) {
    auto* sprite = new Sprite;
    sprite->init_from_bitmap(name, 0, 0, 0, 0);
    return keep_if_usable(sprite, name);
}

void drop_sprite(Sprite*& sprite) {
    delete sprite;
    sprite = nullptr;
}

void give_command(const std::optional<std::u16string>& command, std::u16string* out) {
    if (out) *out = command.value_or(std::u16string());
}
