// The demo data set as the program folder, with a file system, both caches
// and a failure log instead of fatal reports: screens under test load the
// same pages, sprites and fonts the game does.
#pragma once

#include <string>

#include "tests/engine/pictures/graphics_files.h"

class DemoDataTest : public GraphicsFilesTest {
protected:
    DemoDataTest() {
        const std::string demo = NIMBREL_DEMO_DATA_DIR;
        set_program_folder(std::u16string(demo.begin(), demo.end()));
    }
    ~DemoDataTest() override { EXPECT_TRUE(FailureLog::names().empty()) << "a required file was missing"; }
};
