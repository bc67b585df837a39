// Small helpers the game's screens share: cutting a text into pages at line
// breaks, and putting texts into the named controls of a menu.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/text_helpers.h"

class UiMenu;
class UiControl;

// Scans the NUL-terminated `text` for line breaks, each CR and each LF
// counting as one. At the n-th break a NUL is written over it, `next` becomes
// the index after it and 1 is returned. With fewer than n breaks (or n < 1)
// `next` becomes the index after the terminator and 0 is returned.
int32_t split_text_at_line(char* text, int32_t n, size_t& next);

// The control named `name` (case-insensitive), looked up on the menu's
// current page first, so that pages sharing control names each get their own
// text; then on the other pages. Null when no page has it.
UiControl* find_menu_control(const UiMenu* menu, std::u16string_view name);

// Replaces the text of the named control: the narrow text widens byte by
// byte. False (nothing changed) when the menu or the control is missing.
bool ui_set_element_text(UiMenu* menu, std::u16string_view name, std::string_view text);
bool ui_set_element_wtext(UiMenu* menu, std::u16string_view name, std::u16string_view text);
