// A named menu variable: a number or a text. Controls keep a pointer to their
// variable (its cell); cells live as long as their menu.
#pragma once

#include <cstdint>
#include <string>

struct MenuVar {
    std::u16string name;
    bool is_string = false;
    int32_t num = 0;
    std::u16string text;
};

// The number of a cell; a text variable or no cell reads as 0.
inline int32_t cell_value(const MenuVar* cell) { return cell && !cell->is_string ? cell->num : 0; }

// Writing a number makes the variable a number variable.
inline void cell_write(MenuVar* cell, int32_t value) {
    if (!cell) return;
    cell->is_string = false;
    cell->text.clear();
    cell->num = value;
}
