#include "engine/ui/ui_page.h"

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_menu.h"

namespace {
constexpr uint32_t kColorCorrect = 0x200000;
}

UiPage::UiPage(UiMenu* owner, std::u16string page_name) : menu_(owner), name_(std::move(page_name)) {}

UiPage::~UiPage() { deactivate(); }

void UiPage::set_image(std::optional<std::u16string> image) {
    if (background_ && g_bitmap_cache) g_bitmap_cache->release(background_);
    background_ = nullptr;
    image_name_ = std::move(image);
}

void UiPage::activate() {
    if (image_name_ && !background_ && g_bitmap_cache) {
        background_ = g_bitmap_cache->get(*image_name_, kColorCorrect, 1);
        if (background_ && (background_->width <= 0 || background_->height <= 0)) {
            g_bitmap_cache->release(background_);
            background_ = nullptr;
        }
    }
    for (auto& control : controls_) {
        control->focused = 0;
        control->load();
    }
    focused = -1;
    active_ = true;
}

void UiPage::deactivate() {
    if (background_ && g_bitmap_cache) g_bitmap_cache->release(background_);
    background_ = nullptr;
    for (auto& control : controls_) control->unload();
    active_ = false;
}

void UiPage::draw(SpriteGroup& group) {
    // The group has just deleted every sprite it held, the shown ones too.
    for (auto& control : controls_)
        if (auto* bitmap = dynamic_cast<UiBitmap*>(control.get())) bitmap->forget_displayed();
    if (background_) {
        auto* sprite = new Sprite;
        sprite->set_bitmap(background_);
        group.add_sprite(sprite, 0, 0, 0, 0, 0, 0);
    }
    int32_t running_y = start_y;
    for (auto& control : controls_) {
        if (!control->visible) continue;
        if (control->y_attr != -1) running_y = control->y_attr;
        control->draw_layout(group, running_y);
        // Many tall controls must not carry the sum past what an int holds.
        running_y = clamp_placement(running_y);
    }
}

UiControl* UiPage::add_control(std::unique_ptr<UiControl> control) {
    controls_.push_back(std::move(control));
    return controls_.back().get();
}

UiControl* UiPage::find_control(std::u16string_view wanted) const {
    for (auto& control : controls_)
        if (control->object_name && equals_ignore_case(*control->object_name, wanted)) return control.get();
    return nullptr;
}

UiControl* UiPage::focused_control() const {
    if (focused < 0 || size_t(focused) >= controls_.size()) return nullptr;
    return controls_[size_t(focused)].get();
}

void UiPage::notify_var(MenuVar* cell, int32_t value) {
    cell_write(cell, value);
    for (auto& control : controls_) control->on_var_changed(cell);
}

bool UiPage::can_focus(UiControl& control) const {
    return control.usable() && &control != hotkey1 && &control != hotkey2 &&
           control.handle_event(kMenuFocusQuery, 0, nullptr) == kMenuHandled;
}

void UiPage::focus_first() {
    for (auto& control : controls_) control->focused = 0;
    focused = 0;
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (can_focus(*controls_[i])) {
            focused = int32_t(i);
            controls_[i]->focused = 1;
            return;
        }
    }
}

void UiPage::drop_focus() {
    if (UiControl* old = focused_control()) {
        old->focused = 0;
        old->handle_event(kMenuFocusLost, 0, nullptr);
    }
    focused = -1;
}

void UiPage::take_focus(int32_t index) {
    drop_focus();
    focused = index;
    controls_[size_t(index)]->focused = 1;
}

// Steps from the focused control, wrapping, to the next one that can take
// the focus; 6 when found, else 0.
int32_t UiPage::move_focus(int32_t step) {
    const int32_t count = int32_t(controls_.size());
    int32_t index = focused;
    for (int32_t tries = 0; tries < count; ++tries) {
        index = (index + step + count) % count;
        if (index == focused) break;
        if (can_focus(*controls_[size_t(index)])) {
            take_focus(index);
            return kMenuFocusChanged;
        }
    }
    return 0;
}

int32_t UiPage::handle_key(int32_t key, std::u16string* out, UiControl*& answered) {
    UiControl* current = focused_control();
    if (!current) return kMenuNotHandled;
    UiControl* hotkey = key == kKeyButton1 ? hotkey1 : key == kKeyButton2 ? hotkey2 : nullptr;
    if (hotkey) {
        answered = hotkey;
        return hotkey->handle_event(kMenuKey, kKeyAction, out);
    }
    bool sideways = key == kKeyLeft || key == kKeyRight;
    bool moves = key == kKeyUp || key == kKeyDown || (sideways && current->kind == kUiBitmap);
    if (moves) {
        int32_t step = key == kKeyUp || key == kKeyLeft ? -1 : 1;
        if (int32_t moved = move_focus(step)) return moved;
    }
    answered = current;
    return current->handle_event(kMenuKey, key, out);
}

int32_t UiPage::handle_tap(int32_t param, std::u16string* out, UiControl*& answered) {
    int32_t x = point_x(param), y = point_y(param);
    for (auto& control : controls_) {
        if (!control->usable() || !control->hit(x, y)) continue;
        int32_t result = control->handle_event(kMenuTap, param, out);
        if (result != kMenuNotHandled) {
            answered = control.get();
            return result;
        }
    }
    return kMenuNotHandled;
}

int32_t UiPage::handle_pointer_focus(int32_t param) {
    int32_t x = point_x(param), y = point_y(param);
    for (size_t i = 0; i < controls_.size(); ++i) {
        UiControl& control = *controls_[i];
        if (!control.usable() || !control.hit(x, y)) continue;
        if (control.handle_event(kMenuFocusQuery, 0, nullptr) != kMenuHandled) continue;
        if (int32_t(i) == focused) return kMenuNotHandled;
        take_focus(int32_t(i));
        return kMenuFocusChanged;
    }
    if (!focused_control()) return kMenuNotHandled;
    drop_focus();
    return kMenuFocusChanged;
}

// A selection asked to hand its option's picture to the control after it.
int32_t UiPage::pass_text_on(size_t from, std::u16string text) {
    if (from + 1 >= controls_.size()) return kMenuHandled;
    controls_[from + 1]->set_text(std::move(text));
    deactivate();
    activate();
    return kMenuHandled;
}

int32_t UiPage::handle_event(int32_t kind, int32_t param, std::u16string* out) {
    if (controls_.empty()) return kMenuNotHandled;
    std::u16string scratch;
    if (!out) out = &scratch;
    UiControl* answered = nullptr;
    int32_t result = kMenuNotHandled;
    switch (kind) {
    case kMenuKey: result = handle_key(param, out, answered); break;
    case kMenuTap: result = handle_tap(param, out, answered); break;
    case kMenuPointerFocus: return handle_pointer_focus(param);
    case kMenuClearFocus:
        if (!focused_control()) return kMenuNotHandled;
        drop_focus();
        return kMenuFocusChanged;
    default: return kMenuNotHandled;
    }
    if (result != kMenuPassText) return result;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].get() == answered) return pass_text_on(i, *out);
    return kMenuHandled;
}
