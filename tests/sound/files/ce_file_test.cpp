// The library's default file functions: read-only host files, with the
// platform's failures kept for the caller to take.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sound/files/ce_file.h"

namespace {

TEST(CeFile, ReadsSeeksAndReportsFailures) {
    const std::string path = std::string(NIMBREL_BINARY_DIR) + "/ce_file_test.bin";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("0123456789", f);
        std::fclose(f);
    }
    EXPECT_EQ(ce_file_open(path.c_str(), "w"), nullptr);
    EXPECT_EQ(ce_file_open((path + ".missing").c_str(), "rb"), nullptr);
    EXPECT_EQ(ce_file_take_error(), 0);  // a missing file is not a platform failure
    void* h = ce_file_open(path.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    char buf[8] = {};
    EXPECT_EQ(ce_file_read(buf, 2, 2, h), 4u);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(ce_file_seek(h, 2, 3), 0);  // unknown origin: no move
    EXPECT_EQ(ce_file_tell(h), 4);
    EXPECT_EQ(ce_file_seek(h, -3, 2), 7);
    EXPECT_EQ(ce_file_read(buf, 1, 8, h), 3u);
    EXPECT_EQ(ce_file_seek(h, -100, 0), -1);
    EXPECT_EQ(ce_file_take_error(), 1);
    EXPECT_EQ(ce_file_take_error(), 0);
    EXPECT_EQ(ce_file_read(buf, 1, 1, nullptr), 0u);
    EXPECT_EQ(ce_file_seek(nullptr, 0, 0), 0);
    EXPECT_EQ(ce_file_close(h), 1);
    EXPECT_EQ(ce_file_close(nullptr), 1);
    std::remove(path.c_str());
}

}  // namespace
