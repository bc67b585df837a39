#include "game/map_view/map_view_cells.h"

#include <algorithm>
#include <utility>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "game/world/map_level.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kCellPixels = ViewGrid::kCellPixels;
constexpr int32_t kCellTiles = kCellPixels / ViewGrid::kTilePixels;

// Floor division, so that pixels left of or above the level find no cell.
int32_t cell_index(int32_t pixels) { return pixels < 0 ? -1 : pixels / kCellPixels; }

}  // namespace

MapViewCells::~MapViewCells() {
    forget_all();
    if (world_) world_->view_grid_blocks = nullptr;
}

void MapViewCells::forget_all() {
    for (Cell& c : cells_) {
        delete c.objects;
        delete c.animations;
        c = {};
    }
}

void MapViewCells::attach(World* world, SpriteGroup* ground, SpriteGroup* objects) {
    detach();
    world_ = world;
    ground_ = ground;
    objects_ = objects;
    if (!world_) return;
    renderer_.set_params(world_->tile_params);
    world_->view_grid_blocks = [this](int x, int y, int mode) { return sprites_block(x, y, mode); };
}

void MapViewCells::detach() {
    for (int32_t row = 0; row < kCells; ++row)
        for (int32_t column = 0; column < kCells; ++column) {
            drop_block(column, row);
            drop_lists(column, row);
        }
    if (world_) world_->view_grid_blocks = nullptr;
    world_ = nullptr;
    ground_ = objects_ = nullptr;
}

MapLevel* MapViewCells::level() const { return world_ ? world_->current_level() : nullptr; }

const MapViewCells::Cell* MapViewCells::cell(int32_t column, int32_t row) const {
    if (column < 0 || row < 0 || column >= kCells || row >= kCells) return nullptr;
    return &cells_[size_t(row) * kCells + size_t(column)];
}

MapViewCells::Cell* MapViewCells::cell(int32_t column, int32_t row) {
    return const_cast<Cell*>(std::as_const(*this).cell(column, row));
}

const MapViewCells::Cell* MapViewCells::cell_at(int32_t x, int32_t y) const {
    return cell(cell_index(x), cell_index(y));
}

void MapViewCells::build_block(int32_t column, int32_t row) {
    Cell* c = cell(column, row);
    MapLevel* on = level();
    if (!c || !on || !ground_ || c->block) return;
    c->block = renderer_.render_block(*on, column * kCellTiles, row * kCellTiles);
    if (c->block) ground_->add_sprite(c->block, column * kCellPixels, row * kCellPixels, 0, 0, 0, 0);
}

void MapViewCells::drop_block(int32_t column, int32_t row) {
    Cell* c = cell(column, row);
    if (!c || !c->block) return;
    if (ground_ && c->block->group == ground_) ground_->remove_sprite(c->block);
    else delete c->block;
    c->block = nullptr;
}

void MapViewCells::build_lists(int32_t column, int32_t row) {
    Cell* c = cell(column, row);
    MapLevel* on = level();
    if (!c || !on || !objects_ || c->objects) return;
    c->objects = renderer_.build_block_objects(*on, *objects_, column * kCellTiles, row * kCellTiles);
    c->animations = renderer_.build_block_animations(*on, *objects_, column * kCellTiles, row * kCellTiles, phase_);
}

void MapViewCells::drop_lists(int32_t column, int32_t row) {
    Cell* c = cell(column, row);
    if (!c || !c->objects) return;
    objects_->remove_list(c->objects);
    objects_->remove_list(c->animations);
    c->objects = c->animations = nullptr;
}

void MapViewCells::set_tile_phase(int32_t phase) {
    phase_ = phase;
    for (Cell& c : cells_)
        if (c.animations) set_tile_list_phase(*c.animations, phase);
}

bool MapViewCells::sprites_block(int32_t x, int32_t y, int32_t mode) const {
    const MapLevel* on = level();
    constexpr int32_t kTile = ViewGrid::kTilePixels;
    const bool inside = on && x >= 0 && y >= 0 && x <= on->width * kTile && y <= on->height * kTile;
    if (mode == 1) {
        // People and monsters: rectangles either side of the point.
        const Cell* c = cell_at(x, y);
        if (!c || !c->animations) return true;
        for (const SpriteList* list : {c->objects, c->animations})
            if (list && (list->hit_test_bounds(x - 8, y, nullptr) || list->hit_test_bounds(x + 8, y, nullptr)))
                return true;
        return !inside;
    }
    // At the map's left edge the point's own cell stands for the one to its
    // left, which does not exist: the hero may step over the edge there as
    // he does at the right edge.
    const Cell* left = cell_at(std::max(x - 8, 0), y);
    if (!inside || !left || !left->objects) return true;
    if (left->objects->hit_test(x - 8, y, nullptr) || left->objects->hit_test(x + 8, y, nullptr)) return true;
    const Cell* right = cell_at(x + 8, y);
    if (left->animations && left->animations->hit_test(x - 8, y, nullptr)) return true;
    if (right && right->animations && right->animations->hit_test(x + 8, y, nullptr)) return true;
    const Cell* under = cell_at(x, y);
    if (!under) return false;
    for (const SpriteList* list : {under->objects, under->animations})
        if (list && list->hit_test(x, y, nullptr)) return true;
    return false;
}
