// Comparing the screen with a golden picture in tests/game/screens/goldens.
// The screen is saved as <name>.png in the build tree and kept there when it
// differs (or no golden exists), so that it can be looked at and, when the
// change is meant, recorded.
#pragma once

#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/platform/front_buffer.h"

// The picture's pixels as 8-bit RGB; empty when it cannot be read.
inline std::vector<uint8_t> read_png_rgb(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
    png_image_free(&image);
    return rgb;
}

inline void expect_golden_screen(const FrontBuffer& screen, const std::string& name) {
    const std::string golden = std::string(NIMBREL_SOURCE_DIR) + "/tests/game/screens/goldens/" + name + ".png";
    const std::string shot = std::string(NIMBREL_BINARY_DIR) + "/" + name + ".png";
    std::string error;
    ASSERT_TRUE(screen.save_png(shot, error)) << error;
    const std::vector<uint8_t> actual = read_png_rgb(shot);
    const std::vector<uint8_t> expected = read_png_rgb(golden);
    ASSERT_EQ(actual.size(), size_t(240 * 320 * 3));
    if (expected.size() != actual.size()) {
        ADD_FAILURE() << "no golden picture " << golden << " of the right size; this run's screen is " << shot;
        return;
    }
    size_t differing = 0;
    for (size_t i = 0; i < actual.size(); i += 3)
        if (!std::equal(&actual[i], &actual[i] + 3, &expected[i])) ++differing;
    if (differing == 0) {
        std::filesystem::remove(shot);
        return;
    }
    ADD_FAILURE() << "screen \"" << name << "\": " << differing << " pixels differ from " << golden
                  << "; this run's screen is " << shot;
}
