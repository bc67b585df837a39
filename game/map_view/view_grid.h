// The 50 x 50 grid of 160 x 160 pixel map cells kept around the camera
// focus: per cell a pre-rendered ground block and two object lists. Cells
// are built near the focus and dropped far from it; walking builds at most
// one ground block or one pair of object lists a frame, so that it never
// stalls on a screen of tiles.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/geometry.h"

// Builds and drops what one cell shows (the tile renderer does the work).
class ViewCellBuilder {
public:
    virtual ~ViewCellBuilder() = default;
    virtual void build_block(int32_t column, int32_t row) = 0;
    virtual void drop_block(int32_t column, int32_t row) = 0;
    virtual void build_lists(int32_t column, int32_t row) = 0;
    virtual void drop_lists(int32_t column, int32_t row) = 0;
};

class ViewGrid {
public:
    static constexpr int32_t kCells = 50;
    static constexpr int32_t kCellPixels = 160;
    static constexpr int32_t kTilePixels = 32;
    static constexpr int32_t kTilesPerCell = kCellPixels / kTilePixels;
    static constexpr int32_t kNoBounds = 10000;
    // A level larger than this many tiles on either side cannot be shown.
    static constexpr int32_t kMaxLevelTiles = kCells * kCellPixels / kTilePixels;

    explicit ViewGrid(ViewCellBuilder& builder) : builder_(builder) {}

    // Brings the cells around the focus (pixels) up to date for a level of
    // `level_tiles` on a display of `display`. An incremental refresh builds
    // one ground block or one pair of object lists, and none when something
    // was built since the frame started: the camera refreshes more than once
    // a frame. Free memory (MB) sets the radii.
    void refresh(Point focus, Size level_tiles, Size display, bool incremental, bool force, int32_t free_mb);
    // A new frame may build again.
    void start_frame() { built_this_frame_ = false; }
    // The most cells a refresh keeps on a level of `level_tiles` with this
    // much free memory (MB): the keep radius round the focus, once grown.
    static int32_t most_kept_cells(Size level_tiles, Size display, int32_t free_mb);
    // Drops every cell and forgets the bounds.
    void clear();
    // Drops one cell's ground block or object lists (cells outside the grid
    // are ignored); the next refresh that shows the cell builds it again.
    void drop_block(int32_t column, int32_t row);
    void drop_lists(int32_t column, int32_t row);

    bool has_block(int32_t column, int32_t row) const { return block_[index(column, row)]; }
    bool has_lists(int32_t column, int32_t row) const { return lists_[index(column, row)]; }
    int32_t built_cells() const;
    // Ground blocks and pairs of object lists built so far.
    uint64_t blocks_built() const { return blocks_built_; }
    uint64_t lists_built() const { return lists_built_; }
    // First column, first row, end column, end row of the last full refresh.
    const std::array<int32_t, 4>& bounds() const { return bounds_; }

private:
    static bool inside(int32_t column, int32_t row) { return column >= 0 && row >= 0 && column < kCells && row < kCells; }
    static size_t index(int32_t column, int32_t row) { return size_t(row) * kCells + size_t(column); }

    ViewCellBuilder& builder_;
    std::array<bool, kCells * kCells> block_{};
    std::array<bool, kCells * kCells> lists_{};
    std::array<int32_t, 4> bounds_{kNoBounds, kNoBounds, kNoBounds, kNoBounds};
    bool built_this_frame_ = false;
    uint64_t blocks_built_ = 0;
    uint64_t lists_built_ = 0;
};
