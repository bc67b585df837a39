#include "engine/graphics/sprite_demo_scene.h"

#include "engine/core/file_system.h"
#include "engine/core/scene.h"
#include "engine/graphics/display.h"
#include "engine/graphics/font.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/resource_caches.h"
#include "engine/graphics/sprite_flags.h"
#include "engine/graphics/sprite_group.h"
#include "engine/platform/platform.h"
#include "engine/ui/text_effects.h"

namespace {

// Ground tiles by row, 8 across and 10 down: g grass, w water, s stone,
// p path (the frames of the tile strip, in that order).
constexpr const char* kGround[10] = {"wwwwwwww", "wwwwwwww", "ssssssss", "gggggggg", "gggppggg",
                                     "gggppggg", "pppppppp", "gggppggg", "gggppggg", "gggggggg"};

class SpriteDemoScene : public Scene {
public:
    explicit SpriteDemoScene(Display* display) : Scene(display, "Demo") {
        period_a = 30;
        period_b = 100;
        Layer* layer = create_layer();
        ground_ = new SpriteGroup;
        actors_ = new SpriteGroup;
        layer->add(ground_, 0);
        layer->add(actors_, 1);
        texts_ = new TextEffects;
        layer->add(texts_, 2);
        for (int32_t row = 0; row < 10; ++row)
            for (int32_t column = 0; column < 8; ++column) {
                Sprite* tile = ground_->create_sprite(u"sprites/tiles.spr", column * 32, row * 32, 0, 0, 0, 0);
                const char kind = kGround[row][column];
                tile->set_phase(kind == 'g' ? 0 : kind == 'w' ? 1 : kind == 's' ? 2 : 3);
            }

        hero_ = actors_->create_sprite(u"sprites/hero.spr", 40, 230, 10, 0, 0, 0);
        hero_->set_animation("walk");
        ghost_ = actors_->create_sprite(u"sprites/ghost.spr", 40, 230, 9, 0, 0, 0);
        person_ = actors_->create_sprite(u"sprites/person.spr", 170, 150, 10, 0, 0, 0);
        person_->set_animation("idle");
        slime_ = actors_->create_sprite(u"sprites/monster.spr", 60, 140, 10, 0, 0, 0);
        slime_->set_animation("bounce");
        actors_->create_sprite(u"sprites/monster_smooth.spr", 190, 270, 10, 0, 0, 0);
        spin_ = actors_->create_sprite(u"sprites/monster_spin.spr", 120, 40, 10, 0, 0, 0);
        glow_ = actors_->create_sprite(u"sprites/glow.spr", 120, 110, 20, 0, 0, 0);
        spark_ = actors_->create_sprite(u"sprites/spark.spr", 30, 40, 20, 0, 0, 0);
        actors_->create_sprite(u"sprites/shadow.spr", 200, 220, 5, 0, 0, 0);
        cursor_ = actors_->create_sprite(u"sprites/cursor.spr", 120, 160, -1, 0, 0, 0);

        // A line of text from the menu font, outlined, centred at the top.
        if (font_.load(u"font1")) {
            Sprite* line = font_.render_text(u"Nimbrel engine demo", 220, 0, 0, kTextBlackOutline, kAlignCenter, -1);
            actors_->add_sprite(line, 120, 4, 30, 0, GRAB_HCENTER, 0);
        }
    }

    void update() override {
        ++tick_;
        // The hero walks around a loop of the path; its echo trails behind.
        const Point to = loop_point(tick_), behind = loop_point(tick_ - 12);
        hero_->set_position(to.x, to.y, Sprite::KEEP);
        ghost_->set_position(behind.x, behind.y, Sprite::KEEP);
        // The slime patrols left and right; the spinner turns and breathes.
        const int32_t sweep = tick_ % 160;
        slime_->set_position(40 + (sweep < 80 ? sweep : 160 - sweep), Sprite::KEEP, Sprite::KEEP);
        spin_->set_rotation(int32_t((tick_ * 3 % 360) << 16));
        spin_->set_zoom(1024 + 256 * ((tick_ / 4) % 8 < 4 ? (tick_ / 4) % 4 : 3 - (tick_ / 4) % 4));
        const int32_t pulse = tick_ % 64;
        glow_->set_alpha(pulse < 32 ? pulse : 63 - pulse);
        spark_->set_position(30 + (tick_ * 2) % 180, Sprite::KEEP, Sprite::KEEP);
        // Every few seconds an animated text bounces in over the field.
        if (tick_ % 300 == 1) {
            static const char* const kAnims[] = {"title", "damage", "banner"};
            static const char16_t* const kTexts[] = {u"Welcome!", u"1234", u"Well met, traveller"};
            const int32_t which = (tick_ / 300) % 3;
            texts_->create(kAnims[which], kTexts[which], 120, 180, 32, true, true, 200);
        }
        texts_->update();
    }

    void animate() override {
        if (++beats_ % 30 == 0) person_->set_animation(beats_ % 60 == 0 ? "idle" : "wave");
        for (Sprite* s : {hero_, person_, slime_}) s->animate();
    }

    int on_pointer(int, int32_t x, int32_t y) override {
        cursor_->set_position(x, y, Sprite::KEEP);
        return 1;
    }

private:
    // A point on the loop of the path: right along the cross path, down,
    // left along the bottom row of grass, and back up.
    static Point loop_point(int32_t step) {
        const int32_t n = ((step % 400) + 400) % 400;
        if (n < 100) return {40 + n * 16 / 10, 220};
        if (n < 200) return {200, 220 + (n - 100) * 8 / 10};
        if (n < 300) return {200 - (n - 200) * 16 / 10, 300};
        return {40, 300 - (n - 300) * 8 / 10};
    }

    SpriteGroup* ground_ = nullptr;
    SpriteGroup* actors_ = nullptr;
    TextEffects* texts_ = nullptr;
    Font font_;
    Sprite *hero_, *ghost_, *person_, *slime_, *spin_, *glow_, *spark_, *cursor_;
    int32_t tick_ = 0, beats_ = 0;
};

Display* g_demo_display = nullptr;
bool g_demo_made_file_system = false;

}  // namespace

int start_sprite_demo() {
    if (!g_file_system) {
        g_file_system = new FileSystem;
        g_demo_made_file_system = true;
    }
    create_resource_caches();
    g_bitmap_cache->caching = 1;
    g_sprite_def_cache->caching = 1;
    g_demo_display = new Display;
    if (!g_demo_display->open(&platform().display(), 1, 240, 320)) return 0;
    g_current_scene = new SpriteDemoScene(g_demo_display);
    return 1;
}

int stop_sprite_demo() {
    delete g_current_scene;
    g_current_scene = nullptr;
    delete g_demo_display;
    g_demo_display = nullptr;
    destroy_resource_caches();
    if (g_demo_made_file_system) {
        delete g_file_system;
        g_file_system = nullptr;
        g_demo_made_file_system = false;
    }
    return 1;
}
