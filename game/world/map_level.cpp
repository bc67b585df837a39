#include "game/world/map_level.h"

#include "game/world/archive.h"
#include "game/world/story_names.h"

void Encounter::read(Archive& ar) {
    ar.read_begin("M_ENCOUNTER");
    monster_id = ar.read_u32("MonsterID");
    value = ar.read_u8("Value");
    ar.read_temp_string("Comment");
    expression.read(ar);
    ar.read_end("M_ENCOUNTER");
}

void Encounter::write(Archive& ar) const {
    ar.write_begin("M_ENCOUNTER", kRecordVersion);
    ar.write_u32("MonsterID", monster_id);
    ar.write_u8("Value", value);
    ar.write_string("Comment", nullptr);
    expression.write(ar);
    ar.write_end("M_ENCOUNTER");
}

void MapLevel::set_name(const std::string& text) { name = story_display_name(text); }

void MapLevel::read(Archive& ar) {
    ar.read_begin("MS_MAPLEVEL");
    id = ar.read_u32("ID");
    width = ar.read_i32("Width");
    height = ar.read_i32("Height");
    if (!ar.failed() && (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide))
        ar.fail("level " + std::to_string(id) + " has the size " + std::to_string(width) + " x " +
                std::to_string(height) + ", outside 1..250");
    params[2] = ar.read_u32("Param2");
    for (int i = 3; i <= 5; ++i) params[i] = ar.read_u32("Param");
    params[1] = ar.read_u32("Param1");
    music = ar.read_text("Music");
    music_loop = ar.read_i32("MusicLoop");
    params[6] = ar.read_u32("Param6");
    for (int i = 7; i <= 9; ++i) params[i] = ar.read_u32("Param");
    const uint16_t count = ar.read_count("ENCOUNTERCNT", Encounter::kMinStoredBytes);
    encounters.assign(count, Encounter{});
    for (Encounter& e : encounters) e.read(ar);
    set_name(ar.read_text("Name"));
    combat_background = ar.read_u32("CombatBack");
    const uint32_t packed = ar.read_u32("Weather");
    params[11] = packed & 0xFF;
    weather = packed >> 8;
    ar.read_end("MS_MAPLEVEL");
}

void MapLevel::write(Archive& ar) const {
    ar.write_begin("MS_MAPLEVEL", kRecordVersion);
    ar.write_u32("ID", id);
    ar.write_u32("Width", uint32_t(width));
    ar.write_u32("Height", uint32_t(height));
    ar.write_u32("Param2", params[2]);
    for (int i = 3; i <= 5; ++i) ar.write_u32("Param", params[i]);
    ar.write_u32("Param1", params[1]);
    ar.write_string("Music", music);
    ar.write_u32("MusicLoop", uint32_t(music_loop));
    ar.write_u32("Param6", params[6]);
    for (int i = 7; i <= 9; ++i) ar.write_u32("Param", params[i]);
    ar.write_count("ENCOUNTERCNT", encounters.size());
    for (const Encounter& e : encounters) e.write(ar);
    ar.write_string("Name", name);
    ar.write_u32("CombatBack", combat_background);
    ar.write_u32("Weather", (params[11] & 0xFF) | (weather << 8));
    ar.write_end("MS_MAPLEVEL");
}

void MapLevel::read_tiles(Archive& ar) {
    ar.read_begin("MS_MAPLEVEL");
    set_name(ar.read_text("Name"));
    const std::vector<uint8_t> blob = ar.read_blob("Tiles");
    ar.read_end("MS_MAPLEVEL");
    if (ar.failed()) return;
    auto cells = decode_tile_grid(blob, size_t(width) * size_t(height));
    if (!cells) {
        ar.fail("the grid of level " + std::to_string(id) + " does not hold exactly " + std::to_string(width) +
                " x " + std::to_string(height) + " cells");
        return;
    }
    grid = std::move(*cells);
    for (const TileChange& change : tile_changes) set_tile_field(change.x, change.y, change.field, change.value, false);
}

void MapLevel::write_tiles(Archive& ar) const {
    ar.write_begin("MS_MAPLEVEL", kRecordVersion);
    ar.write_string("Name", name);
    ar.write_blob("Tiles", encode_tile_grid(grid));
    ar.write_end("MS_MAPLEVEL");
}

void MapLevel::set_tile_field(int x, int y, uint16_t field, uint32_t value, bool log) {
    // Fields 8..15 change nothing but are logged; higher ones would not fit
    // the saved field's four bits.
    if (!contains(x, y) || field > 15) return;
    if (TileCell* c = cell(x, y)) set_cell_field(*c, field, value);
    if (log) tile_changes.push_back(TileChange{uint16_t(x), uint16_t(y), field, value});
}

namespace {

// The bit that carries a 1-based picture's state: bit 0 of (index - 1).
int picture_state(int index) { return (index - 1) & 1; }
int with_picture_state(int index, int state) { return (((index - 1) & ~1) | state) + 1; }

}  // namespace

int MapLevel::tile_state(int x, int y, int mode) const {
    const TileCell* c = cell(x, y);
    if (!c) return 0;
    if (mode == 1) return int(c->wall & 1);
    if (c->state != 0) return picture_state(c->state);
    return picture_state(c->object);
}

bool MapLevel::toggle_tile_state(int x, int y, int mode, int state) {
    const TileCell* c = cell(x, y);
    if (!c) return false;
    state &= 1;
    if (tile_state(x, y, mode) == state) return false;
    if (mode == 1) set_tile_field(x, y, kFieldWall, (c->wall & ~1u) | uint32_t(state), true);
    else if (c->state != 0) set_tile_field(x, y, kFieldState, uint32_t(with_picture_state(c->state, state)) & 0xFF, true);
    else set_tile_field(x, y, kFieldObject, uint32_t(with_picture_state(c->object, state)) & 0xFFFF, true);
    return true;
}

int MapLevel::is_passable(int x, int y) const {
    const TileCell* c = cell(x, y);
    if (!c) return -1;
    if (c->wall != 0) return (c->wall == 1 || c->wall == 124 || c->wall == 126) ? 1 : -1;
    return (c->tile == 32 || c->tile == 64) ? 1 : -1;
}

namespace {

constexpr uint8_t kTileModCompact = 1;  // values of up to 12 bits in two bytes
constexpr uint8_t kTileModWide = 2;     // whole 32-bit values

bool fits_compact(const std::vector<TileChange>& changes) {
    for (const TileChange& c : changes)
        if (c.value > 0xFFF) return false;
    return true;
}

// Reads the chunk's entries; false on an unknown version.
bool read_tile_mod(Archive& ar, std::vector<TileChange>& out) {
    const uint8_t version = ar.read_u8("TILEMOD");
    if (version != kTileModCompact && version != kTileModWide) {
        if (!ar.failed()) ar.fail("unknown tile change version " + std::to_string(version));
        return false;
    }
    const size_t entry_bytes = version == kTileModCompact ? 6 : 9;
    const uint16_t count = ar.read_count("TILECNT", entry_bytes);
    out.clear();
    out.reserve(count);
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        TileChange c;
        c.x = ar.read_u16("X");
        c.y = ar.read_u16("Y");
        const uint8_t field_byte = ar.read_u8("Field");
        if (version == kTileModCompact) {
            c.field = field_byte & 0x0F;
            c.value = uint32_t(field_byte >> 4) << 8 | ar.read_u8("Value");
        } else {
            c.field = field_byte;
            c.value = ar.read_u32("Value");
        }
        out.push_back(c);
    }
    return !ar.failed();
}

}  // namespace

void MapLevel::write_tile_changes(Archive& ar) const {
    const bool compact = fits_compact(tile_changes);
    ar.write_u8("TILEMOD", compact ? kTileModCompact : kTileModWide);
    ar.write_count("TILECNT", tile_changes.size());
    for (const TileChange& c : tile_changes) {
        ar.write_u16("X", c.x);
        ar.write_u16("Y", c.y);
        if (compact) {
            ar.write_u8("Field", c.field | ((c.value >> 8) & 0x0F) << 4);
            ar.write_u8("Value", c.value & 0xFF);
        } else {
            ar.write_u8("Field", c.field);
            ar.write_u32("Value", c.value);
        }
    }
}

void MapLevel::read_tile_changes(Archive& ar) {
    free_tiles();
    tile_changes.clear();
    std::vector<TileChange> changes;
    if (!read_tile_mod(ar, changes)) return;
    for (const TileChange& c : changes) set_tile_field(c.x, c.y, c.field, c.value, true);
}

void MapLevel::skip_tile_changes(Archive& ar) {
    std::vector<TileChange> dropped;
    read_tile_mod(ar, dropped);
}
