// What the view grid's cells hold on screen: per 160 x 160 pixel cell a
// pre-rendered ground block in the ground group and two object lists (trees,
// walls, objects; animated objects) in the object group. The Game's view
// grid decides which cells exist; this builds and drops them, keeps the
// animated tiles in step and answers the characters' collision test
// against the sprites of the cells.
#pragma once

#include <array>
#include <cstdint>

#include "game/map_view/tile_renderer.h"
#include "game/map_view/view_grid.h"

class SpriteGroup;
class SpriteList;
class World;

class MapViewCells : public ViewCellBuilder {
public:
    MapViewCells() = default;
    MapViewCells(const MapViewCells&) = delete;
    MapViewCells& operator=(const MapViewCells&) = delete;
    // Forgets the cells; the groups delete their sprites themselves.
    ~MapViewCells() override;

    // Draws the World's current level with its tile parameters into these
    // groups from now on, and answers its characters' sprite collisions.
    void attach(World* world, SpriteGroup* ground, SpriteGroup* objects);
    void detach();

    void build_block(int32_t column, int32_t row) override;
    void drop_block(int32_t column, int32_t row) override;
    void build_lists(int32_t column, int32_t row) override;
    void drop_lists(int32_t column, int32_t row) override;

    // The frame 0..7 of every animated tile, now and for cells built later.
    void set_tile_phase(int32_t phase);
    // Whether the sprites of the cells block a character at (x, y); mode 1
    // tests rectangles only (people and monsters), mode 0 the exact shapes
    // (the hero).
    bool sprites_block(int32_t x, int32_t y, int32_t mode) const;

    TileRenderer& renderer() { return renderer_; }
    Sprite* block(int32_t column, int32_t row) const { return cell(column, row) ? cell(column, row)->block : nullptr; }
    SpriteList* objects(int32_t column, int32_t row) const { return cell(column, row) ? cell(column, row)->objects : nullptr; }
    SpriteList* animations(int32_t column, int32_t row) const {
        return cell(column, row) ? cell(column, row)->animations : nullptr;
    }

private:
    struct Cell {
        Sprite* block = nullptr;
        SpriteList* objects = nullptr;
        SpriteList* animations = nullptr;
    };
    static constexpr int32_t kCells = ViewGrid::kCells;

    const Cell* cell(int32_t column, int32_t row) const;
    Cell* cell(int32_t column, int32_t row);
    // The cell under a pixel of the level, or null outside the grid.
    const Cell* cell_at(int32_t x, int32_t y) const;
    MapLevel* level() const;
    void forget_all();

    TileRenderer renderer_;
    World* world_ = nullptr;
    SpriteGroup* ground_ = nullptr;
    SpriteGroup* objects_ = nullptr;
    int32_t phase_ = 0;
    std::array<Cell, size_t(kCells) * size_t(kCells)> cells_{};
};
