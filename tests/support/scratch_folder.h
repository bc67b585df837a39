// A fresh folder of its own for the running test, below the system's
// temporary folder: the process id keeps test runs of several build trees on
// one machine apart. A parameterised test's names hold a "/" ("Cases/Suite",
// "Name/3"), which becomes "_" so that the folder is one level deep and the
// test's remove_all takes it whole.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

inline std::string make_scratch_folder(const std::string& prefix) {
    std::string leaf = prefix + "_" + std::to_string(getpid()) + "_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(leaf.begin(), leaf.end(), '/', '_');
    const std::string path = (std::filesystem::temp_directory_path() / leaf).string();
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}
