// Fresh folders for tests to write in; the process id in their names keeps
// test runs of several build trees on one machine apart.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

// A folder of its own for the running test, below the system's temporary
// folder; the test removes it. A parameterised test's names hold a "/"
// ("Cases/Suite", "Name/3"), which becomes "_" so that the folder is one
// level deep and remove_all takes it whole.
inline std::string make_scratch_folder(const std::string& prefix) {
    std::string leaf = prefix + "_" + std::to_string(getpid()) + "_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(leaf.begin(), leaf.end(), '/', '_');
    const std::string path = (std::filesystem::temp_directory_path() / leaf).string();
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

// A named folder below the build's test data folder, removed again when the
// object goes, with helpers to lay out files in it. It needs no running test,
// so a suite's shared set-up can hold one too.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        path_ = std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "scratch" /
                (name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    std::u16string u16() const { return path_.u16string(); }
    // The path of a file in the folder.
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

    void write(const std::string& relative, const std::string& contents) const {
        std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};
