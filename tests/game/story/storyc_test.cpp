// storyc as an author runs it: a separate process on a story source. Its
// usage on --help, and the faults of a story told as FILE:LINE: message on
// standard error, nothing written while an error is left.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/scratch_folder.h"

namespace {

const std::string kStoryc = std::string(NIMBREL_BINARY_DIR) + "/tools/storyc/storyc";

// The smallest story that checks out; a tail adds to it from line 8 on.
const char* kStory =
    "story start=0x11\n"
    "legend \".\" bg=1 tile=64\n"
    "region 0x1 \"vale\"\n"
    "map 0x10 \"road\"\n"
    "level 0x11 \"town\" width=1 height=1\n"
    "row \".\"\n"
    "trigger 0x60\n";

class StorycTest : public ::testing::Test {
protected:
    void SetUp() override { dir = make_scratch_folder("storyc"); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    struct Run {
        int exit_code = -1;
        std::string out, err;
    };
    Run run(const std::string& arguments) {
        const std::string out = dir + "/out.txt", err = dir + "/err.txt";
        const int status = std::system((kStoryc + " " + arguments + " >" + out + " 2>" + err).c_str());
        Run r;
        if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
        r.out = read(out);
        r.err = read(err);
        return r;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string source(const std::string& tail) {
        const std::string path = dir + "/bad.story";
        std::ofstream(path) << kStory << tail;
        return path;
    }
    std::string dir;
};

TEST_F(StorycTest, HelpPrintsTheUsageAndSucceeds) {
    const Run r = run("--help");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out.rfind("usage: storyc SOURCE OUTPUT_FOLDER\n", 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(run("").exit_code, 2);
}

TEST_F(StorycTest, EveryFaultIsToldWithItsFileAndLine) {
    struct Case {
        const char* tail;
        const char* told;  // after "<file>:"
        int exit_code;
    };
    const Case cases[] = {
        {"do 0x503 a=0x2fff b=0x11\n", "8: trigger 0x60: action 0x503's person 0x2fff is no person\n", 1},
        {"flag 0x60 \"X\"\n", "8: id 0x60 of a flag is already taken by a trigger (line 7)\n", 1},
        {"bogus 1\n", "8: unknown statement \"bogus\"\n", 1},
        {"monster 0x30 \"Ghost\" sprite=\"cghost.spr\" noflee=1\n",
         "8: warning: monster 0x30 forbids flight but carries no weapon or wand to strike with; the hero may "
         "flee it all the same\n",
         0},
    };
    for (const Case& c : cases) {
        const std::string file = source(c.tail);
        const std::string folder = dir + "/Story";
        std::filesystem::remove_all(folder);
        const Run r = run(file + " " + folder);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.tail;
        EXPECT_EQ(r.err, file + ":" + c.told) << c.tail;
        EXPECT_EQ(std::filesystem::exists(folder + "/story.rpg"), c.exit_code == 0) << c.tail;
    }
}

}  // namespace
