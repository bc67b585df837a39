#include "game/world/tile_cell.h"

#include "engine/core/byte_order.h"

void set_cell_field(TileCell& cell, uint16_t field, uint32_t value) {
    switch (field) {
    case kFieldBackground: cell.background = uint8_t(value); break;
    case kFieldTile: cell.tile = uint8_t(value); break;
    case kFieldDecor: cell.decor = uint8_t(value); break;
    case kFieldShade: cell.shade = uint8_t(value); break;
    case kFieldTrees: cell.trees = uint8_t(value); break;
    case kFieldWall: cell.wall = value; break;
    case kFieldObject: cell.object = uint16_t(value); break;
    case kFieldState: cell.state = uint8_t(value); break;
    default: break;
    }
}

namespace {

enum : uint8_t {
    kHasBackground = 0x80,
    kHasTile = 0x40,
    kHasShade = 0x20,
    kHasTrees = 0x10,
    kHasWall = 0x08,
    kHasObject = 0x04,
    kHasState = 0x02,
    kHasDecor = 0x01,
};

}  // namespace

std::vector<uint8_t> encode_tile_grid(const std::vector<TileCell>& cells) {
    std::vector<uint8_t> out;
    out.reserve(cells.size() * 3);
    for (const TileCell& c : cells) {
        uint8_t flags = 0;
        if (c.background) flags |= kHasBackground;
        if (c.tile) flags |= kHasTile;
        if (c.shade) flags |= kHasShade;
        if (c.trees) flags |= kHasTrees;
        if (c.wall) flags |= kHasWall;
        if (c.object) flags |= kHasObject;
        if (c.state) flags |= kHasState;
        if (c.decor) flags |= kHasDecor;
        append_u8(out, flags);
        if (c.background) append_u8(out, c.background);
        if (c.tile) append_u8(out, c.tile);
        if (c.shade) append_u8(out, c.shade);
        if (c.trees) append_u8(out, c.trees);
        if (c.wall) append_u32le(out, c.wall);
        if (c.object) append_u16le(out, c.object);
        if (c.state) append_u8(out, c.state);
        if (c.decor) append_u8(out, c.decor);
    }
    return out;
}

std::optional<std::vector<TileCell>> decode_tile_grid(const std::vector<uint8_t>& blob, size_t cell_count) {
    std::vector<TileCell> cells(cell_count);
    const uint8_t* p = blob.data();
    const uint8_t* end = p + blob.size();
    auto fits = [&](size_t n) { return size_t(end - p) >= n; };
    for (TileCell& c : cells) {
        if (!fits(1)) return std::nullopt;
        const uint8_t flags = *p++;
        // Bytes this cell still needs after its flag byte.
        const size_t need = !!(flags & kHasBackground) + !!(flags & kHasTile) + !!(flags & kHasShade) +
                            !!(flags & kHasTrees) + 4 * !!(flags & kHasWall) + 2 * !!(flags & kHasObject) +
                            !!(flags & kHasState) + !!(flags & kHasDecor);
        if (!fits(need)) return std::nullopt;
        if (flags & kHasBackground) c.background = *p++;
        if (flags & kHasTile) c.tile = *p++;
        if (flags & kHasShade) c.shade = *p++;
        if (flags & kHasTrees) c.trees = *p++;
        if (flags & kHasWall) { c.wall = read_u32le(p); p += 4; }
        if (flags & kHasObject) { c.object = read_u16le(p); p += 2; }
        if (flags & kHasState) c.state = *p++;
        if (flags & kHasDecor) c.decor = *p++;
    }
    if (p != end) return std::nullopt;
    return cells;
}
