#include "engine/graphics/dirty_region.h"

#include <algorithm>
#include <bit>

namespace {

int32_t cell_extent(int32_t edge) {
    // ceil(edge / 32), but never 0: a zero cell size would divide by zero.
    return std::max<int32_t>(1, (edge + DirtyRegion::kGridSize - 1) / DirtyRegion::kGridSize);
}

}  // namespace

void DirtyRegion::init(const Rect& surface) {
    cell_width_ = cell_extent(surface.right);
    cell_height_ = cell_extent(surface.bottom);
    clear();
}

void DirtyRegion::add_rect(const Rect& rect) {
    const Rect r = rect.intersect(grid_rect());
    if (r.empty()) return;

    // The far edges count as inside (a change may reach the cell after its
    // last pixel); the clamp keeps that edge on the grid without ever
    // dropping a rectangle that starts in the last column or row.
    const int first_column = r.left / cell_width_;
    const int last_column = std::min(kGridSize - 1, r.right / cell_width_);
    const int first_row = r.top / cell_height_;
    const int last_row = std::min(kGridSize - 1, r.bottom / cell_height_);
    mark_cells(first_column, last_column, first_row, last_row);
}

void DirtyRegion::add_area(const Rect& rect) {
    const Rect r = rect.intersect(grid_rect());
    if (r.empty()) return;
    mark_cells(r.left / cell_width_, (r.right - 1) / cell_width_, r.top / cell_height_,
               (r.bottom - 1) / cell_height_);
}

void DirtyRegion::mark_cells(int first_column, int last_column, int first_row, int last_row) {
    const int run = last_column - first_column + 1;
    const uint32_t columns = (run >= kGridSize ? ~0u : ((1u << run) - 1)) << first_column;
    for (int row = first_row; row <= last_row; ++row) rows_[row] |= columns;
}

void DirtyRegion::mark_all() { rows_.fill(~0u); }

void DirtyRegion::clear() { rows_.fill(0); }

bool DirtyRegion::is_clear() const {
    return std::all_of(rows_.begin(), rows_.end(), [](uint32_t r) { return r == 0; });
}

bool DirtyRegion::is_marked(int column, int row) const {
    if (column < 0 || column >= kGridSize || row < 0 || row >= kGridSize) return false;
    return (rows_[row] >> column) & 1u;
}

uint32_t DirtyRegion::area() const {
    uint32_t cells = 0;
    for (uint32_t r : rows_) cells += uint32_t(std::popcount(r));
    return cells * uint32_t(cell_width_) * uint32_t(cell_height_);
}

void DirtyRegion::to_rects(const Rect& clip, RectList& out) const {
    int band_start = -1;
    for (int row = 0; row < kGridSize; ++row) {
        if (row + 1 < kGridSize && rows_[row] == rows_[row + 1]) {
            if (band_start < 0) band_start = row;
            continue;
        }
        append_runs(rows_[row], band_start < 0 ? row : band_start, row, clip, out);
        band_start = -1;
    }
}

void DirtyRegion::append_runs(uint32_t row_bits, int first_row, int last_row, const Rect& clip,
                              RectList& out) const {
    int column = 0;
    while (column < kGridSize) {
        if (!((row_bits >> column) & 1u)) {
            ++column;
            continue;
        }
        const int run_start = column;
        while (column < kGridSize && ((row_bits >> column) & 1u)) ++column;
        const Rect cells{run_start * cell_width_, first_row * cell_height_, column * cell_width_,
                         (last_row + 1) * cell_height_};
        out.push_back(cells.intersect(clip));
    }
}
