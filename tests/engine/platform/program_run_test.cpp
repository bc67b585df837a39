// The program itself, run headless as a user or a script would run it.
#include <unistd.h>

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

const std::string kProgram = NIMBREL_BINARY_DIR "/tarrowind";

struct ProgramResult {
    int exit_code = -1;
    std::string output;  // stdout and stderr
};

ProgramResult run(const std::string& args) {
    ProgramResult result;
    FILE* pipe = popen((kProgram + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    return result;
}

struct ProgramRunTest : ::testing::Test {
    std::string folder;
    void SetUp() override {
        if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "the program is not built";
        folder = testing::TempDir() + "program_run_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }
};

TEST_F(ProgramRunTest, HeadlessRunEndsCleanlyAndWritesTheScreen) {
    const std::string png = folder + "out.png";
    const ProgramResult r = run("--headless --run-ms 3000 --state " + folder + " --screenshot " + png);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << r.output;
    EXPECT_EQ(image.width, 240u);
    EXPECT_EQ(image.height, 320u);
    png_image_free(&image);
    EXPECT_TRUE(std::filesystem::exists(folder + "memlog.txt"));
}

TEST_F(ProgramRunTest, MalformedScriptIsReportedWithItsLineBeforeStarting) {
    std::ofstream(folder + "bad.txt") << "0 key down UP\n100 key sideways UP\n";
    const ProgramResult r = run("--headless --state " + folder + " --input " + folder + "bad.txt");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.output.find("line 2"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(folder + "memlog.txt"));  // never started
}

TEST_F(ProgramRunTest, BadOptionShowsTheUsage) {
    const ProgramResult r = run("--scale 0");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.output.find("usage: tarrowind"), std::string::npos) << r.output;
}

TEST_F(ProgramRunTest, ScriptedCloseEndsTheRun) {
    std::ofstream(folder + "close.txt") << "# the user closes the window\n250 key down SPACE\n300 close\n";
    const ProgramResult r = run("--headless --state " + folder + " --input " + folder + "close.txt --run-ms 100000");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    // Frame ticks until the close at 300 ms, not the 100 s of --run-ms.
    std::ifstream log(folder + "memlog.txt");
    int lines = 0;
    for (std::string line; std::getline(log, line);) lines++;
    EXPECT_LT(lines, 10);
}

}  // namespace
