#include "game/screens/zoom_state.h"

#include <algorithm>

#include "engine/app/frame_loop.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/tile_renderer.h"
#include "game/screens/menu_screen.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/world.h"

namespace {

constexpr uint32_t kGroupDepth = 900;
constexpr int32_t kMapDepth = 10000, kMarkerDepth = 10010, kBubbleDepth = 10020, kTextDepth = 10030;
constexpr Point kBubbleAt{120, 120};
constexpr uint32_t kBubbleFlags = GRAB_CENTER | ALPHA_LAYER;
constexpr int32_t kBlockPixels = ViewGrid::kCellPixels;
constexpr int32_t kBlockTiles = ViewGrid::kTilesPerCell;
constexpr int32_t kTilePixels = ViewGrid::kTilePixels;

// Moves every sprite of the group. The picture is drawn and the sprites
// moved back within one tick, and the groups are redrawn whole afterwards,
// so nothing is reported.
void shift_sprites(SpriteGroup& group, Point by) {
    for (const auto& entry : group.sprites()) {
        entry.element->x += by.x;
        entry.element->y += by.y;
    }
}

void clear_picture(Sprite& sprite) {
    if (Bitmap* picture = sprite.bitmap()) std::fill(picture->pixels.begin(), picture->pixels.end(), uint16_t(0));
}

}  // namespace

void ZoomState::enter(ScreenArgument) {
    bind_context();
    phase_ = kBubbleIn;
    blink_counter_ = 0;
    layout_ = {};
    map_ = marker_ = nullptr;

    group_ = new SpriteGroup;
    game->first_layer()->add(group_, kGroupDepth);
    const Point offset = game->ground_group() ? game->ground_group()->offset() : Point{};
    group_->set_offset(offset.x, offset.y);
    const Point at = offset + kBubbleAt;
    bubble_ = group_->create_sprite(u"talk/thoughtbg.spr", at.x, at.y, kBubbleDepth, 0, kBubbleFlags, 0);
    bubble_->set_alpha(0);

    font_.load(u"font1");
    char thought[] = "Lemme check the map..";
    text_ = font_.render_text_ascii(thought, bubble_->frame_width * 8 / 10, 0, 0, kTextPlain, kAlignCenter, -1, 0);
    if (text_) {
        group_->add_sprite(text_, at.x, at.y, kTextDepth, 0, kBubbleFlags, 0);
        text_->set_alpha(0);
    }
}

void ZoomState::leave() {
    if (group_) {
        // The layer deletes the group and every picture in it.
        if (Layer* layer = game->first_layer()) layer->remove(group_);
        else delete group_;
    }
    group_ = nullptr;
    map_ = marker_ = bubble_ = text_ = nullptr;
    for (SpriteGroup* map_group : {game->ground_group(), game->object_group()})
        if (map_group) {
            map_group->set_visible(true);
            map_group->invalidate();
        }
    game->request_full_refresh();
    if (MapLevel* level = world->current_level()) hero->attach_sprite(game->first_layer(), level);
    font_.release();
}

void ZoomState::update() {
    switch (phase_) {
    case kBubbleIn: return fade_bubble_in();
    case kRender:
        render_map();
        phase_ = kBubbleOut;
        return;
    case kBubbleOut: return fade_bubble_out();
    default: return blink_marker();
    }
}

void ZoomState::fade_bubble_in() {
    if (text_) text_->add_alpha(1);
    if (bubble_->alpha < kBubbleAlpha) bubble_->add_alpha(1);
    if (bubble_->alpha >= kBubbleAlpha) phase_ = kRender;
}

void ZoomState::fade_bubble_out() {
    if (text_) text_->add_alpha(-1);
    if (!bubble_->add_alpha(-1)) phase_ = kShowing;
}

void ZoomState::blink_marker() {
    if (marker_) marker_->set_alpha(zoom_marker_alpha(blink_counter_));
    ++blink_counter_;
}

void ZoomState::render_map() {
    MapLevel* level = world->current_level();
    if (!level) return;
    const Size display = game->display_size();
    layout_ = zoom_layout({level->width, level->height}, display);

    // The lighter look, and the level drawn from nothing: the view is built
    // again afterwards with the player's setting.
    TileRenderer& renderer = game->map_cells().renderer();
    const bool lighting = renderer.lighting;
    renderer.lighting = false;
    game->rebuild_view(false);
    hero->detach_sprite();

    map_ = new Sprite;
    map_->create_blank(layout_.picture.width, layout_.picture.height);
    {
        Sprite scratch;
        scratch.create_blank(display.width, display.height);
        render_blocks(scratch);
    }
    remove_zoom_speckles(*map_->bitmap());

    hero->attach_sprite(game->first_layer(), level);
    place_marker();
    renderer.lighting = lighting;
    game->rebuild_view(false);
    // The whole level took this one tick: the time is not caught up.
    restart_scene_timers();

    const Point offset = group_->offset();
    group_->add_sprite(map_, (display.width - layout_.picture.width) / 2 + offset.x,
                       (display.height - layout_.picture.height) / 2 + offset.y, kMapDepth, 0, 0, 0);
    for (SpriteGroup* map_group : {game->ground_group(), game->object_group()})
        if (map_group) {
            map_group->invalidate();
            map_group->set_visible(false);
        }
}

void ZoomState::render_blocks(Sprite& scratch) {
    const MapLevel& level = *world->current_level();
    const int32_t columns = (level.width + kBlockTiles - 1) / kBlockTiles;
    const int32_t rows = (level.height + kBlockTiles - 1) / kBlockTiles;
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column) render_block(scratch, column, row);
}

void ZoomState::render_block(Sprite& scratch, int32_t column, int32_t row) {
    SpriteGroup* ground = game->ground_group();
    SpriteGroup* objects = game->object_group();
    if (!ground || !objects) return;
    MapViewCells& cells = game->map_cells();
    // Cells the view already holds stay; the others live for this block only.
    const bool own_block = !game->view().has_block(column, row);
    const bool own_lists = !game->view().has_lists(column, row);
    if (own_block) cells.build_block(column, row);
    if (own_lists) cells.build_lists(column, row);

    // The block's corner at the scratch picture's corner; every sprite goes
    // back afterwards, so people and monsters keep their places.
    const Point origin{column * kBlockPixels, row * kBlockPixels};
    const Size size = game->display_size();
    shift_sprites(*ground, Point{} - origin);
    shift_sprites(*objects, Point{} - origin);
    clear_picture(scratch);
    ground->draw_into_sprite(&scratch, 0, 0, size.width, size.height);
    objects->draw_into_sprite(&scratch, 0, 0, size.width, size.height);
    shift_sprites(*ground, origin);
    shift_sprites(*objects, origin);

    const MapLevel& level = *world->current_level();
    const Size block{std::min(kBlockPixels, level.width * kTilePixels - origin.x),
                     std::min(kBlockPixels, level.height * kTilePixels - origin.y)};
    sample_zoom_block(*scratch.bitmap(), Rect::from(origin, block), layout_.divisor, *map_->bitmap());
    if (own_block) cells.drop_block(column, row);
    if (own_lists) cells.drop_lists(column, row);
}

void ZoomState::place_marker() {
    const ActorSprite* on_map = hero->sprite();
    const Sprite* picture = on_map ? on_map->picture() : nullptr;
    if (!picture) return;
    // Full size, so that the blinking hero shows at any scale, and centred
    // on his shrunk tile (a sprite's position is its top-left corner).
    const Size display = game->display_size();
    const Point offset = group_->offset();
    const int32_t l = layout_.divisor;
    const Point tile_centre{(hero->x + kTilePixels / 2) / l, (hero->y + kTilePixels / 2) / l};
    const int32_t x = tile_centre.x - picture->frame_width / 2 + (display.width - layout_.picture.width) / 2 + offset.x;
    const int32_t y = tile_centre.y - picture->frame_height / 2 + (display.height - layout_.picture.height) / 2 + offset.y;
    marker_ = group_->create_shared_sprite(*picture, x, y, kMarkerDepth, 0, ALPHA_LAYER, 0);
    marker_->set_phase(picture->phase);
    marker_->set_alpha(0);
}

void ZoomState::return_to_walking() {
    play_menu_click();
    game->switch_state(kWalkingScreen, 0);
}

void ZoomState::on_key(int kind, uint32_t, uint32_t) {
    if (phase_ == kShowing && kind == kKeyPress) return_to_walking();
}

void ZoomState::on_pointer(int kind, int32_t, int32_t) {
    if (phase_ == kShowing && kind == kPenUp) return_to_walking();
}
