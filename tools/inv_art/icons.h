// The demo's item icons, painted pixel by pixel: a weapon, wand, potion,
// armour, shield or keepsake shape on a see-through 32 x 32 square.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/bitmap_tools/colour.h"

// The colour at two thirds of its brightness (unchosen tabs).
uint32_t art_dim(uint32_t colour);

// The colour of pixel (x, y), kKeyColour where the icon is see-through.
using IconPainter = std::function<uint32_t(int x, int y)>;

struct ItemIcon {
    int number;  // the item's icon number: the file "tiles/item_<number>.bmp"
    IconPainter paint;
};

// Every icon the demo data has, in ascending numbers.
const std::vector<ItemIcon>& item_icons();
// The icon of that number; the first one when there is none.
const ItemIcon& item_icon(int number);
