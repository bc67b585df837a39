// A fresh folder of its own for the running test: the process id keeps
// test runs of several build trees on one machine apart.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

inline std::string make_scratch_folder(const std::string& prefix) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         (prefix + "_" + std::to_string(getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name()))
            .string();
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}
