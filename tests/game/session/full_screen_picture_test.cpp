#include "game/map_view/full_screen_picture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/session/game_startup.h"
#include "tests/support/scratch_folder.h"

namespace {

TEST(FullScreenPicturePlacement, CentresOn480DisplaysBetweenTwoCovers) {
    for (PictureRole role : {PictureRole::first_loading, PictureRole::second_loading, PictureRole::exit}) {
        const PicturePlacement plain = place_full_screen_picture(role, {240, 320});
        EXPECT_EQ(plain.picture, (Point{0, 0}));
        EXPECT_TRUE(plain.cover_a.empty() && plain.cover_b.empty());
    }
    const PicturePlacement wide = place_full_screen_picture(PictureRole::first_loading, {480, 320});
    EXPECT_EQ(wide.picture, (Point{80, 0}));
    EXPECT_EQ(wide.cover_a, u"menus\\main\\cover_black.spr");
    EXPECT_EQ(wide.cover_b, u"menus\\main\\cover_black.spr");
    EXPECT_EQ(wide.cover_a_at, (Point{0, 0}));
    EXPECT_EQ(wide.cover_b_at, (Point{400, 0}));
    const PicturePlacement wide_second = place_full_screen_picture(PictureRole::second_loading, {480, 320});
    EXPECT_EQ(wide_second.cover_a, u"menus\\main\\loading2_left.spr");
    EXPECT_EQ(wide_second.cover_b, u"menus\\main\\loading2_right.spr");

    const PicturePlacement tall = place_full_screen_picture(PictureRole::exit, {240, 480});
    EXPECT_EQ(tall.picture, (Point{0, 80}));
    EXPECT_EQ(tall.cover_a, u"menus\\main\\loading2_bottom.spr");  // the same file twice
    EXPECT_EQ(tall.cover_b, u"menus\\main\\loading2_bottom.spr");
    EXPECT_EQ(tall.cover_b_at, (Point{0, 400}));
    const PicturePlacement tall_second = place_full_screen_picture(PictureRole::second_loading, {240, 480});
    EXPECT_EQ(tall_second.cover_a, u"menus\\main\\loading2_top.spr");
    EXPECT_EQ(tall_second.cover_b, u"menus\\main\\loading2_bottom.spr");
}

TEST(FullScreenPicture, MissingPicturesAndLoneCoversAreLeftOut) {
    // A data folder with the picture and only the top cover of a tall display.
    const std::string data = make_scratch_folder("full_screen_picture");
    std::filesystem::create_directories(data + "/load");
    std::filesystem::create_directories(data + "/menus/main");
    const std::string demo = NIMBREL_DEMO_DATA_DIR;
    std::filesystem::copy_file(demo + "/load/load1.bmp", data + "/load/load1.bmp");
    std::filesystem::copy_file(demo + "/load/load1.spr", data + "/load/load1.spr");
    std::filesystem::copy_file(demo + "/load/load1.spr", data + "/menus/main/loading2_top.spr");
    set_program_folder(utf8_to_utf16(data));
    game_engine_objects_init();
    {
        SpriteGroup group;
        group.set_size(240, 480);
        FullScreenPicture shown(group, u"load\\load1.spr", PictureRole::second_loading, {240, 480}, 0, 1);
        ASSERT_NE(shown.picture(), nullptr);
        EXPECT_EQ(shown.picture()->y, 80);
        // The bottom cover is missing, so the top one is not shown alone.
        EXPECT_FALSE(shown.has_covers());
        EXPECT_EQ(group.sprites().count(), 1);
        shown.set_alpha(16);
        EXPECT_EQ(shown.picture()->alpha, 16);

        FullScreenPicture missing(group, u"load\\nothing.spr", PictureRole::exit, {240, 320}, 0, 1);
        EXPECT_EQ(missing.picture(), nullptr);
        missing.set_alpha(8);
        shown.remove();
        missing.remove();
        EXPECT_EQ(group.sprites().count(), 0);
    }
    game_engine_objects_shutdown();
    set_program_folder(utf8_to_utf16(demo));
    std::filesystem::remove_all(data);
}

}  // namespace
