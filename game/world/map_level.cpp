#include "game/world/map_level.h"

#include "game/story/archive.h"
#include "game/story/story_names.h"
#include "game/world/map_region.h"

template <class Self>
void Encounter::fields(Self& self, Archive& ar) {
    ar.begin("M_ENCOUNTER", kRecordVersion);
    ar.u32("MonsterID", self.monster_id);
    ar.u8("Value", self.value);
    ar.unkept_text("Comment");
    ar.record(self.expression);
    ar.end("M_ENCOUNTER");
}

void Encounter::serialize(Archive& ar) { fields(*this, ar); }

void Encounter::read(Archive& ar) { serialize(ar); }

void Encounter::write(Archive& ar) const { fields(*this, ar); }

void MapLevel::set_name(const std::string& text) { name = story_display_name(text); }

std::string MapLevel::region_name() const { return map && map->region ? map->region->name : std::string(); }

template <class Self>
void MapLevel::fields(Self& self, Archive& ar) {
    ar.begin("MS_MAPLEVEL", kRecordVersion);
    ar.u32("ID", self.id);
    ar.u32("Width", self.width);
    ar.u32("Height", self.height);
    if (ar.reading() && !ar.failed() &&
        (self.width < 1 || self.width > kMaxSide || self.height < 1 || self.height > kMaxSide))
        ar.fail("level " + std::to_string(self.id) + " has the size " + std::to_string(self.width) + " x " +
                std::to_string(self.height) + ", outside 1..250");
    ar.u32("Param2", self.params[2]);
    for (int i = 3; i <= 5; ++i) ar.u32("Param", self.params[i]);
    ar.u32("Param1", self.params[1]);
    ar.text("Music", self.music);
    ar.u32("MusicLoop", self.music_loop);
    ar.u32("Param6", self.params[6]);
    for (int i = 7; i <= 9; ++i) ar.u32("Param", self.params[i]);
    ar.records("ENCOUNTERCNT", self.encounters, Encounter::kMinStoredBytes);
    ar.text("Name", self.name);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) self.set_name(self.name);
    }
    ar.u32("CombatBack", self.combat_background);
    // Parameter 11 and the weather share one field: the low byte and the rest.
    uint32_t packed = (self.params[11] & 0xFF) | (self.weather << 8);
    ar.u32("Weather", packed);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) {
            self.params[11] = packed & 0xFF;
            self.weather = packed >> 8;
        }
    }
    ar.end("MS_MAPLEVEL");
}

void MapLevel::serialize(Archive& ar) { fields(*this, ar); }

void MapLevel::read(Archive& ar) { serialize(ar); }

void MapLevel::write(Archive& ar) const { fields(*this, ar); }

template <class Self>
void MapLevel::tile_fields(Self& self, Archive& ar) {
    ar.begin("MS_MAPLEVEL", kRecordVersion);
    ar.text("Name", self.name);
    if constexpr (!std::is_const_v<Self>) {
        if (ar.reading()) self.set_name(self.name);
    }
    std::vector<uint8_t> blob = ar.reading() ? std::vector<uint8_t>{} : encode_tile_grid(self.grid);
    ar.blob("Tiles", blob);
    ar.end("MS_MAPLEVEL");
    // What follows only rebuilds the grid of a level being read.
    if constexpr (!std::is_const_v<Self>) {
        if (!ar.reading() || ar.failed()) return;
        auto cells = decode_tile_grid(blob, size_t(self.width) * size_t(self.height));
        if (!cells) {
            ar.fail("the grid of level " + std::to_string(self.id) + " does not hold exactly " +
                    std::to_string(self.width) + " x " + std::to_string(self.height) + " cells");
            return;
        }
        self.grid = std::move(*cells);
        for (const TileChange& change : self.tile_changes)
            self.set_tile_field(change.x, change.y, change.field, change.value, false);
    }
}

void MapLevel::serialize_tiles(Archive& ar) { tile_fields(*this, ar); }

void MapLevel::read_tiles(Archive& ar) { serialize_tiles(ar); }

void MapLevel::write_tiles(Archive& ar) const { tile_fields(*this, ar); }

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

// The chunk's one field list. `Changes` is const when writing. Reading
// replaces `changes` and gives false on an unknown version.
template <class Changes>
bool serialize_tile_mod(Archive& ar, Changes& changes) {
    uint8_t version = fits_compact(changes) ? kTileModCompact : kTileModWide;
    ar.u8("TILEMOD", version);
    if (version != kTileModCompact && version != kTileModWide) {
        if (!ar.failed()) ar.fail("unknown tile change version " + std::to_string(version));
        return false;
    }
    const size_t entry_bytes = version == kTileModCompact ? 6 : 9;
    const uint16_t count = ar.count("TILECNT", changes.size(), entry_bytes);
    if constexpr (!std::is_const_v<Changes>) {
        if (ar.reading()) changes.assign(count, TileChange{});
    }
    for (auto& c : changes) {
        ar.u16("X", c.x);
        ar.u16("Y", c.y);
        if (version == kTileModWide) {
            ar.u8("Field", c.field);
            ar.u32("Value", c.value);
            continue;
        }
        // Compact: the field in the low four bits, the value's bits 8..11 in
        // the high four, then the value's low byte.
        uint8_t field_byte = uint8_t(c.field | ((c.value >> 8) & 0x0F) << 4);
        uint8_t low_byte = uint8_t(c.value & 0xFF);
        ar.u8("Field", field_byte);
        ar.u8("Value", low_byte);
        if constexpr (!std::is_const_v<Changes>) {
            c.field = field_byte & 0x0F;
            c.value = uint32_t(field_byte >> 4) << 8 | low_byte;
        }
    }
    return !ar.failed();
}

}  // namespace

bool serialize_tile_changes(Archive& ar, std::vector<TileChange>& changes) {
    return serialize_tile_mod(ar, changes);
}

void MapLevel::write_tile_changes(Archive& ar) const { serialize_tile_mod(ar, tile_changes); }

void MapLevel::read_tile_changes(Archive& ar) {
    free_tiles();
    tile_changes.clear();
    std::vector<TileChange> changes;
    if (!serialize_tile_mod(ar, changes)) return;
    for (const TileChange& c : changes) set_tile_field(c.x, c.y, c.field, c.value, true);
}

void MapLevel::skip_tile_changes(Archive& ar) {
    std::vector<TileChange> dropped;
    serialize_tile_mod(ar, dropped);
}
