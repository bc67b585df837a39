// A program folder for the tests of the effect types that copy their target:
// the effect scripts of the test data, a two-frame figure as the target
// (with the animations the trail scripts name) and an orb for the snakes,
// the action's group with the figure in it, and an effect layer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/draw_target.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/effects/copy_effects.h"
#include "game/effects/effect_file.h"
#include "tests/engine/pictures/graphics_files.h"

inline constexpr uint32_t kKeyRgb = 0xFF00FF;

// A 24 x 32 figure in two frames, stacked: a head and a body on the colour
// key, the arms up in the second frame.
inline std::string figure_bmp() {
    const int32_t w = 24, h = 32;
    std::vector<uint32_t> pixels(size_t(w) * size_t(h) * 2, kKeyRgb);
    for (int32_t frame = 0; frame < 2; ++frame) {
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int32_t hx = x - 12, hy = y - 6;
                uint32_t rgb = kKeyRgb;
                if (hx * hx + hy * hy <= 25) rgb = 0xE0B080;                   // head
                if (y >= 12 && y < 28 && x >= 7 && x < 17) rgb = 0x3060C0;     // body
                if (y >= 28 && (x == 8 || x == 9 || x == 14 || x == 15)) rgb = 0x604020;  // legs
                const int32_t arm_top = frame == 0 ? 13 : 4;
                if (y >= arm_top && y < arm_top + 10 && (x == 4 || x == 19)) rgb = 0xE0B080;  // arms
                pixels[size_t(frame * h + y) * size_t(w) + size_t(x)] = rgb;
            }
        }
    }
    return bmp_file(w, h * 2, pixels);
}

class CopyEffectTest : public ::testing::Test {
protected:
    static constexpr Point kTargetPlace{100, 200};
    static constexpr int32_t kTargetDepth = 10;

    CopyEffectTest() {
        std::filesystem::copy(std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "effects", folder_.path() / "effects");
        folder_.write("pics/figure.bmp", figure_bmp());
        folder_.write("figure.spr",
                      "DefFlags = TRANS_COLOR | GRAB_BOTTOM\nStripes = 32\nbmp = \"pics/figure.bmp\"\n"
                      "Animation = \"animtrail_defaults\", 1, \"ABAB\"\n"
                      "Animation = \"animtrail_keys\", 0, \"\", \"AB\"\n"
                      "Animation = \"animtrail_zero\", 0, \"BABA\"\n");
        folder_.write("pics/orb.bmp", plain_bmp(8, 16, 0xF0E040));
        folder_.write("fx/orb.spr", "DefFlags = TRANS_COLOR | GRAB_CENTER\nStripes = 8\nbmp = \"pics/orb.bmp\"\n"
                                    "Animation = \"Anim\", 0, \"\", \"AB\"\n");
        scene_.set_size(240, 320);
        layer_.set_size(240, 320);
        target_ = scene_.create_sprite(u"figure.spr", kTargetPlace.x, kTargetPlace.y, kTargetDepth, 0, 0, 0);
    }

    EffectTarget target() {
        EffectTarget t;
        t.sprite = target_;
        t.reference = {target_->x, target_->y - target_->frame_height};
        t.scene = &scene_;
        t.layer = &layer_;
        t.layer_size = {240, 320};
        return t;
    }

    // Reads "effects/<name>.txt" and makes its type's object.
    std::unique_ptr<EffectObject> start(const std::string& name, EffectTarget& t) {
        EffectFile file;
        EXPECT_TRUE(file.load(name)) << name;
        EXPECT_NE(file.get("Type", -100), -100) << "no section [" << name << "] with a type";
        return make_copy_effect(file.type(), file, t);
    }
    std::unique_ptr<EffectObject> start_text(const std::string& name, const std::string& keys, EffectTarget& t) {
        EffectFile file;
        EXPECT_TRUE(file.parse(name, "[" + name + "]\n" + keys));
        return make_copy_effect(file.type(), file, t);
    }

    // One frame as the action player runs it, drawn into the screen.
    EffectProgress frame(EffectObject& effect, EffectTarget& t, bool ending) {
        const EffectProgress progress = ending ? effect.step_ending(t) : effect.step(t);
        draw();
        return progress;
    }
    void draw() {
        const DrawTarget all = whole_surface_target(screen_.data(), {240, 320});
        scene_.draw(all);
        layer_.draw(all);
        scene_.flush_dirty();
        layer_.flush_dirty();
    }

    // Runs for `duration` frames or until the type asks to end, then ends
    // it; the frames taken until it was done, or -1 past `bound`.
    int32_t play(EffectObject& effect, EffectTarget& t, int32_t duration, int32_t bound) {
        bool ending = false;
        for (int32_t n = 1; n <= bound; ++n) {
            const EffectProgress progress = frame(effect, t, ending);
            if (progress == EffectProgress::kDone) return n;
            if (progress == EffectProgress::kEnding || n >= duration) ending = true;
        }
        return -1;
    }

    // Sprites of the scene other than the target.
    std::vector<Sprite*> copies() const {
        std::vector<Sprite*> found;
        for (const auto& entry : scene_.sprites())
            if (entry.element != target_) found.push_back(entry.element);
        return found;
    }

    ScratchFolder folder_{"copy_effects"};
    ResourceFiles resources_{folder_.u16()};
    SpriteGroup scene_;
    SpriteGroup layer_;
    Sprite* target_ = nullptr;
    std::vector<uint16_t> screen_ = std::vector<uint16_t>(240 * 320, 0);
};
