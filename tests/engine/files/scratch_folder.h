// A fresh folder below the build's test data folder, removed again at the end
// of the test, with helpers to lay out files in it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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
