// The demo data's sprite definitions: every one loads from the built demo
// folder and draws something on a grey screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/blit/blit_types.h"
#include "engine/blit/sprite_blitters.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"
#include "tests/engine/pictures/graphics_files.h"

TEST(DemoSprites, EveryDefinitionLoadsAndDraws) {
    ResourceFiles resources(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "sprites")) {
        if (entry.path().extension() != ".spr") continue;
        std::u16string name = u"sprites/" + utf8_to_utf16(entry.path().filename().string());
        Sprite sprite;
        ASSERT_EQ(sprite.load(name, 1), 1) << entry.path();
        std::vector<uint16_t> screen(120 * 120, 0x8410);
        BlitTarget target{reinterpret_cast<uint8_t*>(screen.data()), 0, 240};
        BlitView view{Rect{0, 0, 120, 120}, Point{}};
        sprite.x = sprite.y = 40;
        switch (sprite.flags & RZ_MASK) {
            case 0: blit_sprite(target, sprite, view); break;
            case RZ_ZOOMED: blit_sprite_zoomed(target, sprite, view); break;
            case RZ_HQZOOMED: blit_sprite_hq_zoomed(target, sprite, view); break;
            default: blit_sprite_rotozoomed(target, sprite, view); break;
        }
        EXPECT_NE(screen, std::vector<uint16_t>(120 * 120, 0x8410)) << entry.path();
        ++checked;
    }
    EXPECT_GE(checked, 10);
    EXPECT_TRUE(FailureLog::names().empty());
}
