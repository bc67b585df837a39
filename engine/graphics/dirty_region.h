// Which parts of a surface changed since the last frame, kept on a fixed grid
// of 32 x 32 cells whatever the surface size, and turned into a short list of
// merged rectangles for drawing and presenting. Every layer has one in its own
// coordinates and every scene one in screen coordinates.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"

using RectList = std::vector<Rect>;

class DirtyRegion {
public:
    static constexpr int kGridSize = 32;

    DirtyRegion() = default;
    explicit DirtyRegion(const Rect& surface) { init(surface); }

    // Sizes the cells from the surface's right and bottom edge (the surface is
    // taken to start at 0, 0) and clears every cell. A cell is at least one
    // pixel wide and high, so an empty surface still gets a usable grid.
    void init(const Rect& surface);

    // Marks every cell the rectangle touches. Its right and bottom edges count
    // as inside, so a change never loses the cell just past its last pixel.
    void add_rect(const Rect& rect);
    // Marks exactly the cells the rectangle's pixels lie in (far edges
    // outside), for areas that are already whole cells of another region.
    void add_area(const Rect& rect);

    void mark_all();
    void clear();

    bool is_clear() const;
    bool is_marked(int column, int row) const;

    // Number of marked cells times the cell area, in pixels.
    uint32_t area() const;

    // Appends the marked cells as rectangles: equal consecutive rows merge into
    // one tall band, and each run of marked cells in a band gives one
    // rectangle. Each rectangle is clipped to `clip`; one that falls wholly
    // outside is still appended (empty), so callers must skip empty ones.
    void to_rects(const Rect& clip, RectList& out) const;

    int32_t cell_width() const { return cell_width_; }
    int32_t cell_height() const { return cell_height_; }
    // The pixels the grid covers: 32 cells each way from (0, 0).
    Rect grid_rect() const { return {0, 0, kGridSize * cell_width_, kGridSize * cell_height_}; }

private:
    void mark_cells(int first_column, int last_column, int first_row, int last_row);
    void append_runs(uint32_t row_bits, int first_row, int last_row, const Rect& clip,
                     RectList& out) const;

    int32_t cell_width_ = 1;
    int32_t cell_height_ = 1;
    std::array<uint32_t, kGridSize> rows_{};
};
