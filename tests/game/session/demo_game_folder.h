// Set-up shared by the tests that start the game on the demo data: a write
// folder of its own per process and test, the demo data as program folder,
// the headless host as platform and the engine's objects.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/game/session/demo_game_host.h"
#include "tests/support/scratch_folder.h"

// Returns the fresh write folder (with its "savegame" folder).
inline std::string prepare_demo_game(HeadlessPlatform& host, const std::string& prefix) {
    const std::string folder = make_scratch_folder(prefix);
    prepare_demo_game_in(host, folder);
    return folder;
}

// A fixture around the two: the game itself is started by the tests (or
// their fixture), in `folder`, on `host`; tear-down ends it.
class DemoGameFixture : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    void SetUp() override {
        folder = prepare_demo_game(host, ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name());
    }
    void TearDown() override { finish_demo_game(folder); }
};
