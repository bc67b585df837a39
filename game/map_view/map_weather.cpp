#include "game/map_view/map_weather.h"

#include <algorithm>

#include "engine/core/crt_random.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"

void MapWeather::add_to(Layer& layer, const SpriteGroup* ground) {
    ground_ = ground;
    auto* tint = new FadeLayer;
    layer.add(tint, kTintDepth);
    tint->set_tint(1, 1, 1);
    auto* group = new SpriteGroup;
    // The group keeps the layer's size but scrolls on its own (scroll()).
    group->set_flags(group->flags() & ~Drawable::kFollowLayerOffset);
    layer.add(group, kGroupDepth);
    overlay_.attach(tint, group);
}

Point MapWeather::view_origin() const { return ground_ ? ground_->offset() : Point{0, 0}; }

Size MapWeather::view_size() const {
    const Size size = overlay_.group() ? overlay_.group()->size() : Size{1, 1};
    return {std::max(size.width, 1), std::max(size.height, 1)};
}

Point MapWeather::first_place() {
    const Point origin = view_origin();
    const Size view = view_size();
    const int32_t x = crt_rand() % view.width + origin.x;
    const int32_t y = crt_rand() % view.height + origin.y;
    return {x, y};
}

DropPlace MapWeather::respawn_place() { return {first_place(), Sprite::KEEP}; }

void MapWeather::fall(Sprite& drop, Point by) {
    const Point origin = view_origin();
    const Size view = view_size();
    drop.set_position(wrap_into(drop.x + by.x - origin.x, view.width) + origin.x,
                      wrap_into(drop.y + by.y - origin.y, view.height) + origin.y, Sprite::KEEP);
}
