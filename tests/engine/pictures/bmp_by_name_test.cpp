#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/pictures/bmp_decoder.h"

namespace {

TEST(BmpByName, DemoPicturesLoadThroughTheFileSystem) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    FileSystem files;
    auto background = load_bitmap_file(files, u"SCREENS\\GameOver.bmp", 0);
    ASSERT_TRUE(background);
    EXPECT_EQ(background->width, 240);
    EXPECT_EQ(background->height, 320);
    EXPECT_FALSE(background->has_alpha());

    // Every depth of the demo set, each with padded rows.
    for (const char16_t* name : {u"pics/rings4.bmp", u"pics/rings8.bmp", u"pics/checker16.bmp",
                                 u"pics/rings24.bmp", u"pics/glow32.bmp"}) {
        auto b = load_bitmap_file(files, name, 0);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->width % 2, 1);
    }
    auto rings = load_bitmap_file(files, u"pics/rings8.bmp", 0);
    EXPECT_EQ(rings->pixel(0, 0), kColorKey) << "corners lie outside the rings";
    auto glow = load_bitmap_file(files, u"pics/glow32.bmp", 0);
    ASSERT_TRUE(glow->has_alpha());
    EXPECT_EQ(glow->alpha[glow->index(0, 0)], 0);
    EXPECT_GT(glow->alpha[glow->index(13, 13)], 24);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_bitmap_file(files, u"pics/missing.bmp", 0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("pics/missing.bmp"), std::string::npos);
}

}  // namespace
