#include "game/map_view/tile_renderer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <utility>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/block_lighting.h"
#include "game/map_view/tile_kinds.h"
#include "game/world/map_level.h"
#include "game/world/tile_params.h"

namespace {

constexpr int32_t kGroundPasses = 4;

// How far a tree of each type reaches above its foot, for depth sorting.
constexpr std::array<int32_t, 32> kTreeDepthOffsets = {0, 3, 3, 1, 2, 1, 1, 6, 5, 3, 2, 16, 6, 10, 32, 7,
                                                       3, 4, 5, 2, 0, 8, 3};

// What walls, objects and animated objects may be, by their parameter.
constexpr uint8_t kSolid = 0;        // hit by its rectangle
constexpr uint8_t kRowBehind = 2;    // walls: drawn a row further back; objects: flat on the ground
constexpr uint8_t kDiamond = 3;      // hit by the diamond inside its frame
constexpr uint8_t kOverhead = 4;     // drawn above the characters

// The random detail of a cell is seeded from its place and the pass, so a
// block drawn again looks exactly the same.
void seed_cell(int32_t column, int32_t row, int32_t pass) {
    crt_srand(uint32_t(column * 131 + row * 73 + pass * 51));
}

uint8_t background_at(const MapLevel& level, int32_t column, int32_t row) {
    column = std::clamp(column, 0, level.width - 1);
    row = std::clamp(row, 0, level.height - 1);
    return level.cell(column, row)->background;
}

// Depth and hit flags of an object or animated object by its parameter.
std::pair<int32_t, uint32_t> object_placement(uint8_t param, int32_t y, int32_t flat_depth) {
    switch (param) {
        case kSolid: return {y + 1002, HIT_RECT};
        case kRowBehind: return {flat_depth, 0};
        case kDiamond: return {y + 1002, HIT_DIAMOND};
        case kOverhead: return {y + 11002, 0};
        default: return {y + 1002, HIT_RECT | HIT_OPAQUE};
    }
}

// Calls visit(cell, column, row) for each cell of the block that lies in
// the level.
template <typename Visit>
void for_each_block_cell(const MapLevel& level, int32_t bx, int32_t by, Visit visit) {
    if (!level.has_grid()) return;
    const int32_t end_row = std::min(by + TileRenderer::kBlockTiles, level.height);
    const int32_t end_column = std::min(bx + TileRenderer::kBlockTiles, level.width);
    for (int32_t row = std::max(by, 0); row < end_row; ++row)
        for (int32_t column = std::max(bx, 0); column < end_column; ++column)
            visit(*level.cell(column, row), column, row);
}

std::u16string block_name(int32_t bx, int32_t by) {
    char name[48];
    std::snprintf(name, sizeof name, "@block@%d@%d@", int(bx), int(by));
    return utf8_to_utf16(name);
}

const TileParams kNoParams{};

// The story may name a picture the data lacks (a toggled wall or object
// shows the other picture of its pair, whatever the art holds, and a file
// may not decode): such a sheet is drawn as nothing, see-through at the
// kind's size so that a wall still stands where it is, and the program goes
// on. Said once a file, as the sheet becomes the file's template; the
// caller takes the cache's use over.
Bitmap* missing_tile_sheet(const TileKindInfo& info, std::u16string_view name) {
    std::fprintf(stderr, "tarrowind: tile picture %s is missing or unreadable: drawn as nothing\n",
                 utf16_to_utf8(name).c_str());
    auto* sheet = new Bitmap(info.frame_size, info.frame_size * info.frames_per_file, true);
    g_bitmap_cache->add_unnamed(sheet);
    return sheet;
}

}  // namespace

TileRenderer::TileRenderer() : params_(&kNoParams) {}

// --- templates ---------------------------------------------------------------

void TileRenderer::cache_add(int32_t kind, Sprite* template_sprite, int32_t file_number) {
    if (kind < 0 || kind >= int32_t(cache_.size())) return;
    cache_[size_t(kind)].push_back({template_sprite, file_number});
}

Sprite* TileRenderer::cache_find(int32_t kind, int32_t file_number) const {
    if (kind < 0 || kind >= int32_t(cache_.size())) return nullptr;
    for (const Template& t : cache_[size_t(kind)])
        if (t.file_number == file_number) return t.sprite;
    return nullptr;
}

void TileRenderer::clear_cache() {
    for (std::vector<Template>& list : cache_) {
        for (Template& t : list) delete t.sprite;
        list.clear();
    }
}

int32_t TileRenderer::cached_templates() const {
    int32_t n = 0;
    for (const std::vector<Template>& list : cache_) n += int32_t(list.size());
    return n;
}

Sprite* TileRenderer::make_template(int32_t kind, int32_t file_number) {
    const TileKindInfo* info = tile_kind_info(kind);
    auto* sprite = new Sprite;
    if (g_bitmap_cache) {
        const std::u16string name = tile_file_name(kind, file_number);
        Bitmap* picture = g_bitmap_cache->get(name, 0, 0);
        if (!picture) picture = missing_tile_sheet(*info, name);
        sprite->set_bitmap(picture);
        g_bitmap_cache->release(picture);  // the definition holds its use
        const int32_t frame = std::min(info->frame_size, picture->height);
        sprite->def->frame_height = frame;
        sprite->frame_height = frame;
        if (picture->has_alpha()) sprite->flags |= ALPHA_PIXEL;
        if (kind != kTileShade && kind != kTileWall16) sprite->flags |= TRANS_COLOR;
        sprite->def->default_flags = sprite->flags;
    }
    cache_add(kind, sprite, file_number);
    return sprite;
}

Sprite* TileRenderer::get_tile_sprite(int32_t kind, SpriteGroup& group, int32_t x, int32_t y, int32_t depth,
                                      int32_t index) {
    if (!tile_kind_info(kind)) return nullptr;
    const int32_t file_number = tile_file_number(kind, index);
    Sprite* template_sprite = cache_find(kind, file_number);
    if (!template_sprite) template_sprite = make_template(kind, file_number);
    Sprite* sprite = group.create_shared_sprite(*template_sprite, x, y, depth, 0, 0, 0);
    sprite->set_phase(tile_frame(kind, index));
    return sprite;
}

// --- ground blocks -------------------------------------------------------------

void TileRenderer::add_background_pieces(const MapLevel& level, SpriteGroup& group, int32_t column, int32_t row,
                                         int32_t x, int32_t y) {
    const int32_t t = level.cell(column, row)->background;
    int32_t differing = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) differing += background_at(level, column + dx, row + dy) != t;

    if (differing <= 3) {
        // Five pieces a little apart soften the cell's square.
        static constexpr std::array<Point, 5> kPieces = {{{-10, -10}, {-10, 10}, {0, 0}, {10, -10}, {10, 10}}};
        int32_t r = crt_rand();
        for (Point p : kPieces) {
            get_tile_sprite(kTileBackground, group, x + p.x, y + p.y, t + 101, 3 * t - 3 + r % 3);
            r /= 4;
        }
        return;
    }
    // An edge: pieces toward a different type show the lower type beneath.
    for (int32_t dx = -10; dx <= 10; dx += 10) {
        int32_t r = crt_rand();
        for (int32_t dy = -10; dy <= 10; dy += 10) {
            const int32_t c = background_at(level, column + dx / 10, row + dy / 10);
            if (c == t)
                get_tile_sprite(kTileBackground, group, x + dx, y + dy, t + 101, 3 * t - 3 + r % 3);
            else if (c != 0)
                get_tile_sprite(kTileBackground, group, x + dx, y + dy, 100, 3 * std::min(t, c) - 3 + r % 3);
            r /= 4;
        }
    }
}

void TileRenderer::draw_ground_cell(const MapLevel& level, SpriteGroup& group, int32_t pass, int32_t column,
                                    int32_t row, int32_t bx, int32_t by) {
    seed_cell(column, row, pass);
    const TileCell& cell = *level.cell(column, row);
    const int32_t x = (column - bx) * kTile, y = (row - by) * kTile;
    switch (pass) {
        case 0:
            if (cell.background) add_background_pieces(level, group, column, row, x, y);
            break;
        case 1:
            if (cell.tile) get_tile_sprite(kTileGround, group, x, y, 200, cell.tile - 1);
            break;
        case 2:
            if (cell.decor) get_tile_sprite(kTileDecor, group, x, y, 201, cell.decor - 1);
            break;
        default: {
            const int32_t shade = cell.shade & 0x3F;
            if (!shade) break;
            // Top two bits: lighten 12, lighten 6, darken 6, darken 12.
            static constexpr std::array<std::pair<uint32_t, int32_t>, 4> kBlends = {
                {{BLT_LIGHTEN, 12}, {BLT_LIGHTEN, 6}, {BLT_DARKEN, 6}, {BLT_DARKEN, 12}}};
            const auto [blend, alpha] = kBlends[cell.shade >> 6];
            Sprite* piece = get_tile_sprite(kTileShade, group, x, y, 250, shade - 1);
            piece->flags |= ALPHA_LAYER | blend;
            piece->alpha = alpha;
            break;
        }
    }
}

void TileRenderer::compose_ground(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by) {
    if (!level.has_grid() || !level.contains(bx, by)) return;
    const int32_t w = std::min(level.width - bx, kBlockTiles), h = std::min(level.height - by, kBlockTiles);
    for (int32_t pass = 0; pass < kGroundPasses; ++pass) {
        // The background pass also draws the ring of cells around the block,
        // whose pieces reach 10 pixels into it.
        const int32_t ring = pass == 0 ? 1 : 0;
        const int32_t first_row = std::max(by - ring, 0), end_row = std::min(by + h + ring, level.height);
        const int32_t first_column = std::max(bx - ring, 0), end_column = std::min(bx + w + ring, level.width);
        for (int32_t row = first_row; row < end_row; ++row)
            for (int32_t column = first_column; column < end_column; ++column)
                draw_ground_cell(level, group, pass, column, row, bx, by);
    }
}

Sprite* TileRenderer::render_block(const MapLevel& level, int32_t bx, int32_t by) {
    if (!level.has_grid() || !level.contains(bx, by)) return nullptr;
    const int32_t w = std::min(level.width - bx, kBlockTiles), h = std::min(level.height - by, kBlockTiles);

    SpriteGroup pieces;
    pieces.set_size(w * kTile, h * kTile);
    auto* block = new Sprite;
    block->create_blank(w * kTile, h * kTile);
    compose_ground(level, pieces, bx, by);
    pieces.draw_into_sprite(block, 0, 0, w * kTile, h * kTile);
    pieces.remove_all();

    if (lighting && block->bitmap()) light_block(*block->bitmap(), level.id, level.params[1], {bx * kTile, by * kTile});

    const std::u16string name = block_name(bx, by);
    g_sprite_def_cache->set_name(block->def, name);
    g_bitmap_cache->set_name(block->bitmap(), name);
    return block;
}

// --- object lists ------------------------------------------------------------------

void TileRenderer::add_trees(SpriteList& list, SpriteGroup& group, uint8_t trees, int32_t column, int32_t row) {
    seed_cell(column, row, 3);
    const int32_t type = trees & 0x1F, count = trees >> 6;
    if (type == 0) return;  // a count without a type names no picture
    const int32_t x = column * kTile, y = row * kTile;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t u = crt_rand(), v = crt_rand(), w = crt_rand();
        Sprite* tree = get_tile_sprite(kTileTree, group, x + w % 32 - 16, y + u % 32 - 16,
                                       y + u % 32 - kTreeDepthOffsets[size_t(type)] + 984, 4 * type - 4 + v % 4);
        if (tile_param(params_->trees, uint32_t(type)) == 0) tree->flags |= HIT_RECT;
        list.add(tree, 0, 0, 0, 1024);
    }
}

void TileRenderer::add_wall(SpriteList& list, SpriteGroup& group, uint32_t wall, int32_t column, int32_t row) {
    const int32_t x = column * kTile, y = row * kTile;
    switch (wall >> 30) {
        case 0: {
            const uint8_t param = tile_param(params_->walls, wall);
            const int32_t depth = (row - (param == kRowBehind ? 1 : 0)) * kTile + (param == kOverhead ? 10000 : 0) + 1002;
            Sprite* sprite = get_tile_sprite(kTileWall, group, x, y, depth, int32_t(wall) - 1);
            if (param == 0) sprite->flags |= HIT_RECT;
            if (param == 1) sprite->flags |= HIT_RECT | HIT_OPAQUE;
            list.add(sprite, 0, 0, 0, 1024);
            break;
        }
        case 2: {
            // Four 16-pixel quarters from a numbered set; set 0 names no file.
            const int32_t set = int32_t(wall >> 24) & 0x3F;
            if (set == 0) break;
            static constexpr std::array<int32_t, 4> kShifts = {0, 6, 12, 18};
            for (int32_t q = 0; q < 4; ++q) {
                const int32_t u = int32_t(wall >> kShifts[size_t(q)]) & 31;
                if (u == 0) continue;
                const bool bottom = q >= 2;
                const bool above_filled = bottom && ((wall >> kShifts[size_t(q - 2)]) & 31) != 0;
                Sprite* sprite = get_tile_sprite(kTileWall16, group, (2 * column + q % 2) * 16, (2 * row + q / 2) * 16,
                                                 u < 16 ? y + 1001 : y + 10000, set * 30 + u - 31);
                if (!bottom || u < 16 || above_filled) sprite->flags |= HIT_RECT;
                list.add(sprite, 0, 0, 0, 1024);
            }
            break;
        }
        default: break;  // top bits 01 and 11 draw nothing
    }
}

void TileRenderer::add_object(SpriteList& list, SpriteGroup& group, uint16_t object, int32_t column, int32_t row) {
    const int32_t y = row * kTile;
    const auto [depth, hits] = object_placement(tile_param(params_->objects, object), y, 1002);
    Sprite* sprite = get_tile_sprite(kTileObject, group, column * kTile, y, depth, object - 1);
    sprite->flags |= hits;
    list.add(sprite, 0, 0, 0, 1024);
}

SpriteList* TileRenderer::build_block_objects(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by) {
    auto* list = new SpriteList;
    for_each_block_cell(level, bx, by, [&](const TileCell& cell, int32_t column, int32_t row) {
        if (cell.trees) add_trees(*list, group, cell.trees, column, row);
        seed_cell(column, row, 4);
        if (cell.wall) add_wall(*list, group, cell.wall, column, row);
        if (cell.object) add_object(*list, group, cell.object, column, row);
    });
    return list;
}

SpriteList* TileRenderer::build_block_animations(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by,
                                                 int32_t phase_base) {
    auto* list = new SpriteList;
    for_each_block_cell(level, bx, by, [&](const TileCell& cell, int32_t column, int32_t row) {
        // The state byte of a cell names its animated object.
        const int32_t n = cell.state;
        if (n == 0) return;
        const int32_t y = row * kTile;
        const auto [depth, hits] = object_placement(tile_param(params_->anim_objects, uint32_t(n)), y, 999);
        Sprite* sprite = get_tile_sprite(kTileAnimObject, group, column * kTile, y, depth, phase_base + 8 * n - 8);
        sprite->flags |= hits;
        list->add(sprite, 0, 0, 0, 1024);
    });
    return list;
}

void set_tile_list_phase(SpriteList& list, int32_t phase) {
    for (int32_t i = 0; i < list.count(); ++i)
        if (Sprite* sprite = list.sprite(i)) {
            if (sprite->group) sprite->group->set_sprite_phase(sprite, phase);
            else sprite->set_phase(phase);
        }
}

// --- preloading --------------------------------------------------------------------

void TileRenderer::preload(const MapLevel& level) {
    if (!level.has_grid() || !g_bitmap_cache) return;
    TileFileSet files;
    for (const TileCell& cell : level.grid) add_tile_files(cell, files);
    for (const auto& [kind, file_number] : files) {
        if (kind == kTileBackground && cache_find(kind, file_number)) continue;
        g_bitmap_cache->preload(tile_file_name(kind, file_number), 0, /*must_exist=*/0);
    }
}
