#include "game/session/state_helpers.h"

#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_page.h"

int32_t split_text_at_line(char* text, int32_t n, size_t& next) {
    size_t i = 0;
    int32_t breaks = 0;
    for (; text[i] != '\0'; ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        if (++breaks == n) {
            text[i] = '\0';
            next = i + 1;
            return 1;
        }
    }
    next = i + 1;
    return 0;
}

UiControl* find_menu_control(const UiMenu* menu, std::u16string_view name) {
    if (!menu) return nullptr;
    const UiPage* current = menu->current();
    if (current)
        if (UiControl* control = current->find_control(name)) return control;
    for (size_t i = 0; i < menu->page_count(); ++i) {
        const UiPage* page = menu->page(i);
        if (page == current) continue;
        if (UiControl* control = page->find_control(name)) return control;
    }
    return nullptr;
}

bool ui_set_element_wtext(UiMenu* menu, std::u16string_view name, std::u16string_view text) {
    UiControl* control = find_menu_control(menu, name);
    if (!control) return false;
    control->set_text(std::u16string(text));
    return true;
}

bool ui_set_element_text(UiMenu* menu, std::u16string_view name, std::string_view text) {
    return ui_set_element_wtext(menu, name, narrow_to_wide(text));
}
