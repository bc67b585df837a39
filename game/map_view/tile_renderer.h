// Draws a level's map: each block of 5 x 5 tiles becomes one pre-rendered
// ground picture (backgrounds, tiles, decorations, shade and lighting),
// and the tall things of a block (trees, walls, objects, animated objects)
// become sprites that the object group sorts by depth with the characters.
// Tile pictures are shared through one template sprite per bitmap file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class Sprite;
class SpriteGroup;
class SpriteList;
struct MapLevel;
struct TileParams;

class TileRenderer {
public:
    static constexpr int32_t kTile = 32;
    static constexpr int32_t kBlockTiles = 5;
    // Bytes of one ground block's RGB565 picture.
    static constexpr size_t kBlockBytes = size_t(kBlockTiles * kTile) * size_t(kBlockTiles * kTile) * 2;

    TileRenderer();
    explicit TileRenderer(const TileParams& params) : params_(&params) {}
    TileRenderer(const TileRenderer&) = delete;
    TileRenderer& operator=(const TileRenderer&) = delete;
    ~TileRenderer() { clear_cache(); }

    // The lighting pass of ground blocks (the GfxQuality setting).
    bool lighting = true;
    // The story's "tileparams.ini" tables; all 0 until set.
    void set_params(const TileParams& params) { params_ = &params; }

    // A new sprite in the group showing picture `index` of the kind.
    Sprite* get_tile_sprite(int32_t kind, SpriteGroup& group, int32_t x, int32_t y, int32_t depth, int32_t index);

    void cache_add(int32_t kind, Sprite* template_sprite, int32_t file_number);
    Sprite* cache_find(int32_t kind, int32_t file_number) const;
    // Deletes every template (their pictures go back to the caches).
    void clear_cache();
    int32_t cached_templates() const;

    // Decodes every tile picture the level names into the bitmap cache (one
    // the data lacks is left out: it is drawn as nothing).
    void preload(const MapLevel& level);

    // The ground picture of the block whose top-left tile is (bx, by); a
    // sprite in no group. Null when the block lies outside the level.
    Sprite* render_block(const MapLevel& level, int32_t bx, int32_t by);
    // The pieces the ground picture of a block is drawn from, placed in the
    // group at positions relative to the block (render_block's first step).
    void compose_ground(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by);
    // Trees, walls and objects of the block, created in the group.
    SpriteList* build_block_objects(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by);
    // Animated objects of the block, showing frame `phase_base`.
    SpriteList* build_block_animations(const MapLevel& level, SpriteGroup& group, int32_t bx, int32_t by,
                                       int32_t phase_base);

private:
    struct Template {
        Sprite* sprite;
        int32_t file_number;
    };

    Sprite* make_template(int32_t kind, int32_t file_number);
    void draw_ground_cell(const MapLevel& level, SpriteGroup& group, int32_t pass, int32_t column, int32_t row,
                          int32_t bx, int32_t by);
    void add_background_pieces(const MapLevel& level, SpriteGroup& group, int32_t column, int32_t row, int32_t x,
                               int32_t y);
    void add_trees(SpriteList& list, SpriteGroup& group, uint8_t trees, int32_t column, int32_t row);
    void add_wall(SpriteList& list, SpriteGroup& group, uint32_t wall, int32_t column, int32_t row);
    void add_object(SpriteList& list, SpriteGroup& group, uint16_t object, int32_t column, int32_t row);

    const TileParams* params_;
    std::array<std::vector<Template>, 11> cache_{};
};

// Shows frame `phase` on every sprite of the list (animated tiles).
void set_tile_list_phase(SpriteList& list, int32_t phase);

// A table entry read by a value from the map data: 0 past the table's end.
template <typename Table>
uint8_t tile_param(const Table& table, uint32_t index) {
    return index < table.size() ? table[index] : 0;
}
