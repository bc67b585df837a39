// The base of every menu control: where the file placed it, where the last
// layout put it, its focus, enabled and visible marks, and the four things a
// page asks of it (load, unload, draw_layout, handle_event).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/core/geometry.h"
#include "engine/ui/menu_variable.h"

class Sprite;
class SpriteGroup;
class UiPage;

// Control class codes; only kBitmap changes how the page moves the focus.
enum UiControlKind : int32_t {
    kUiChoice = 0,  // selection and select line
    kUiBitmap = 1,
    kUiButton = 2,
    kUiCheck = 3,
    kUiEmpty = 4,
    kUiText = 6,
    kUiSlider = 7,
};

enum UiAlign : int32_t { kUiLeft = 1, kUiCenter = 2, kUiRight = 3, kUiJustify = 4 };

class UiControl {
public:
    UiControl(UiPage* page, int32_t kind, std::optional<std::u16string> object_name);
    virtual ~UiControl() = default;
    UiControl(const UiControl&) = delete;
    UiControl& operator=(const UiControl&) = delete;

    virtual void load() {}
    virtual void unload() {}
    // Sizes the control, places it from the running y (which it advances)
    // and adds its sprites to the group.
    virtual void draw_layout(SpriteGroup& group, int32_t& running_y) = 0;
    virtual int32_t handle_event(int32_t kind, int32_t param, std::u16string* out) = 0;
    // A variable of the page changed; 4 when the control followed it.
    virtual int32_t on_var_changed(MenuVar* cell);
    // The control's own text: the title of text controls, the command of an
    // empty area, the picture of a bitmap, the step sprite of a slider.
    virtual void set_text(std::u16string text) = 0;

    // Places the control of size width x height: the page's rules for X, Y,
    // ALIGN and the margins; advances the running y unless NOHEIGHT.
    void layout(Size group_size, int32_t& running_y);
    Rect screen_rect() const { return {screen_x, screen_y, screen_x + width, screen_y + height}; }
    // Strictly inside: an edge is not a hit.
    bool hit(int32_t x, int32_t y) const;
    bool usable() const { return visible && enabled; }

    int32_t align = kUiLeft;
    int32_t left_margin = 5, top_margin = 1, right_margin = 5, bottom_margin = 1;
    int32_t focused = 0;
    int32_t x_attr = -1, y_attr = -1;
    int32_t width_attr = -1, height_attr = -1;
    int32_t screen_x = 0, screen_y = 0;
    int32_t z = 0;
    int32_t width = 0, height = 0;
    int32_t no_height = 0;
    std::optional<std::u16string> object_name;
    UiPage* page = nullptr;
    int32_t enabled = 1;
    int32_t visible = 1;
    int32_t kind = 0;
};

// Placements and sizes that a page file gives, and the running y built from
// them, are kept within this many pixels either side of the group's origin:
// far beyond any screen, yet small enough that no sum of them overflows.
constexpr int32_t kMaxPlacement = 1 << 16;
int32_t clamp_placement(int32_t value);

// Adds a sprite to the group at x, y and the control's depth, at a frame.
void add_control_sprite(SpriteGroup& group, Sprite* sprite, int32_t x, int32_t y, int32_t depth, int32_t frame);

// An icon and a text side by side: the icon left of the text (right of it
// with RIGHT alignment), 2 pixels apart. Either may be null.
struct IconTextPair {
    Sprite* icon = nullptr;
    Sprite* text = nullptr;
    bool centre = true;  // centre the shorter one vertically

    Size size() const;
    // Adds both to the group at the control's laid-out place.
    void place(SpriteGroup& group, const UiControl& control, int32_t icon_frame) const;
    // Sizes the control to the pair, lays it out and places the pair.
    void lay_out(SpriteGroup& group, UiControl& control, int32_t& running_y, int32_t icon_frame) const;
};

// Loads a required sprite definition (".spr") or a picture as a one-frame
// sprite. A missing file goes to the resource failure handler; a file that
// gave nothing usable leaves no sprite (null) and a warning.
Sprite* load_menu_sprite(std::u16string_view name);
Sprite* load_menu_picture(std::u16string_view name);

// Deletes a sprite the control owns and clears the pointer.
void drop_sprite(Sprite*& sprite);

// Writes a control's command into out (an absent command reads as empty).
void give_command(const std::optional<std::u16string>& command, std::u16string* out);
