#include "game/map_view/view_grid.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct Radii {
    int32_t keep_columns, keep_rows, load_columns, load_rows;
};

Radii radii_for(Size display, int32_t free_mb) {
    const int32_t cells = (std::max(display.width, display.height) + ViewGrid::kCellPixels - 1) / ViewGrid::kCellPixels;
    if (free_mb >= 5) return {cells + 4, cells + 4, cells + 3, cells + 3};
    if (free_mb >= 2) return {cells + 3, cells + 3, cells + 2, cells + 2};
    const int32_t columns = (display.width + ViewGrid::kCellPixels - 1) / ViewGrid::kCellPixels + 1;
    const int32_t rows = (display.height + ViewGrid::kCellPixels - 1) / ViewGrid::kCellPixels + 1;
    return {columns, rows, columns, rows};
}

// min first, then the lower bound, so a range that is empty ends at `lo`.
int32_t clamp_low_wins(int32_t v, int32_t lo, int32_t hi) { return std::max(std::min(v, hi), lo); }

}  // namespace

int32_t ViewGrid::most_kept_cells(Size level_tiles, Size display, int32_t free_mb) {
    const Radii r = radii_for(display, free_mb);
    const auto cells = [](int32_t tiles) { return (tiles + kTilesPerCell - 1) / kTilesPerCell; };
    const int32_t columns = std::min(cells(level_tiles.width), 2 * (r.keep_columns + 1) + 1);
    const int32_t rows = std::min(cells(level_tiles.height), 2 * (r.keep_rows + 1) + 1);
    return std::max(columns, 0) * std::max(rows, 0);
}

int32_t ViewGrid::built_cells() const {
    int32_t n = 0;
    for (size_t i = 0; i < block_.size(); ++i) n += (block_[i] || lists_[i]) ? 1 : 0;
    return n;
}

void ViewGrid::clear() {
    for (int32_t row = 0; row < kCells; ++row)
        for (int32_t column = 0; column < kCells; ++column) {
            const size_t i = index(column, row);
            if (block_[i]) builder_.drop_block(column, row);
            if (lists_[i]) builder_.drop_lists(column, row);
            block_[i] = lists_[i] = false;
        }
    bounds_ = {kNoBounds, kNoBounds, kNoBounds, kNoBounds};
}

void ViewGrid::drop_block(int32_t column, int32_t row) {
    if (!inside(column, row) || !block_[index(column, row)]) return;
    builder_.drop_block(column, row);
    block_[index(column, row)] = false;
}

void ViewGrid::drop_lists(int32_t column, int32_t row) {
    if (!inside(column, row) || !lists_[index(column, row)]) return;
    builder_.drop_lists(column, row);
    lists_[index(column, row)] = false;
}

void ViewGrid::refresh(Point focus, Size level_tiles, Size display, bool incremental, bool force, int32_t free_mb) {
    const int32_t half_w = display.width / 2 + (incremental ? 32 : 0);
    const int32_t half_h = display.height / 2 + (incremental ? 32 : 0);
    Radii r = radii_for(display, free_mb);

    const int32_t cx = clamp_low_wins(focus.x, half_w, level_tiles.width * kTilePixels - half_w);
    const int32_t cy = clamp_low_wins(focus.y, half_h, level_tiles.height * kTilePixels - half_h);
    const std::array<int32_t, 4> range = {
        std::clamp((cx - half_w) / kCellPixels, 0, kCells), std::clamp((cy - half_h) / kCellPixels, 0, kCells),
        std::clamp((cx + half_w + 170) / kCellPixels, 0, kCells),
        std::clamp((cy + half_h + 160) / kCellPixels, 0, kCells)};
    const int32_t focus_column = cx / kCellPixels, focus_row = cy / kCellPixels;
    if (range == bounds_ && !force) return;

    if (std::abs(range[1] - focus_row) >= r.keep_rows || std::abs(range[3] - 1 - focus_row) >= r.keep_rows)
        ++r.keep_rows, ++r.load_rows;
    if (std::abs(range[0] - focus_column) >= r.keep_columns ||
        std::abs(range[2] - 1 - focus_column) >= r.keep_columns)
        ++r.keep_columns, ++r.load_columns;

    for (int32_t row = 0; row < kCells; ++row)
        for (int32_t column = 0; column < kCells; ++column) {
            const int32_t dr = std::abs(row - focus_row), dc = std::abs(column - focus_column);
            const size_t i = index(column, row);
            if (block_[i] && (dr > r.keep_rows || dc > r.keep_columns)) {
                builder_.drop_block(column, row);
                block_[i] = false;
            }
            if (lists_[i] && (dr > r.load_rows || dc > r.load_columns)) {
                builder_.drop_lists(column, row);
                lists_[i] = false;
            }
        }

    // Incremental: the range stays unfinished (bounds not stored) until the
    // frames that follow have built the rest.
    if (incremental && built_this_frame_) return;
    for (int32_t row = range[1]; row < range[3]; ++row)
        for (int32_t column = range[0]; column < range[2]; ++column) {
            if (column * 5 >= level_tiles.width || row * 5 >= level_tiles.height) continue;
            const size_t i = index(column, row);
            if (!block_[i]) {
                builder_.build_block(column, row);
                block_[i] = built_this_frame_ = true;
                ++blocks_built_;
                if (incremental) return;
            }
            if (!lists_[i]) {
                builder_.build_lists(column, row);
                lists_[i] = built_this_frame_ = true;
                ++lists_built_;
                if (incremental) return;
            }
        }
    bounds_ = range;
}
