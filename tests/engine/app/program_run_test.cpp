// The program itself, run headless as a user or a script would run it.
#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <png.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "engine/app/command_line.h"
#include "engine/core/fatal_report.h"
#include "tests/support/foreign_program.h"
#include "tests/support/given_program_names.h"
#include "tests/support/scratch_folder.h"

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

// The program started in the background, its output going to a file. When
// the tests run as root, `as_nobody` runs it as the user "nobody", for whom
// permissions hold.
class StartedProgram {
public:
    StartedProgram(const std::string& args, const std::string& output, bool as_nobody = false) : output_(output) {
        pid_ = fork();
        if (pid_ != 0) return;
        // No box may wait for a click on a real screen.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        if (as_nobody && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(125);
            prctl(PR_SET_DUMPABLE, 1);  // the leak checker inspects its own process
        }
        execl("/bin/sh", "sh", "-c", ("exec " + kProgram + " " + args).c_str(), nullptr);
        _exit(127);
    }
    pid_t pid() const { return pid_; }
    // Waits for the end; the exit code, or -1 when it did not exit.
    ProgramResult finish() {
        ProgramResult result;
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
        std::ifstream in(output_, std::ios::binary);
        result.output.assign(std::istreambuf_iterator<char>(in), {});
        return result;
    }

private:
    static constexpr uid_t kNobody = 65534;
    pid_t pid_;
    std::string output_;
};

struct ProgramRunTest : ::testing::Test {
    std::string folder;
    void SetUp() override {
        if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "the program is not built";
        folder = make_scratch_folder("program_run") + "/";
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

// Everything a headless run does follows its virtual clock, the story's
// random draws included (the wilds' gift is drawn from them).
TEST_F(ProgramRunTest, TheSameScriptTwiceWritesTheSameSaves) {
    const std::string script = NIMBREL_SOURCE_DIR "/tests/game/screens/wilds_ending.input";
    std::map<std::string, std::string> saves[2];
    for (auto& files : saves) {
        const std::string state = folder + std::to_string(&files - saves);
        const ProgramResult r = run("--headless --run-ms 100000 --state " + state + " --input " + script);
        ASSERT_EQ(r.exit_code, 0) << r.output;
        for (const auto& entry : std::filesystem::directory_iterator(state + "/savegame")) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename()].assign(std::istreambuf_iterator<char>(in), {});
        }
    }
    EXPECT_TRUE(saves[0].count("save6.dat"));  // the wilds' automatic save, made after the gift
    for (const auto& [name, bytes] : saves[0]) EXPECT_EQ(bytes, saves[1][name]) << name << " differs";
    EXPECT_EQ(saves[0].size(), saves[1].size());
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

TEST_F(ProgramRunTest, HelpPrintsTheUsageAndEveryOption) {
    const GivenProgramNames program_gives{{"Quenlo: Duskmarrow", "tarrowind", "tarrowind.lock"}};
    const ProgramResult r = run("--help");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, command_line_usage() + "\n" + command_line_options());
}

// A start that fails on a missing file ends with a failure code, keeping
// the report on stderr (the headless message box) and in its file.
TEST_F(ProgramRunTest, MissingDataEndsWithAFailureCodeAndTheReport) {
    std::filesystem::create_directories(folder + "empty");
    const ProgramResult r = run("--headless --data " + folder + "empty --state " + folder);
    EXPECT_EQ(r.exit_code, 1) << r.output;
    EXPECT_NE(r.output.find("Failed to open file:\nfonts"), std::string::npos) << r.output;
    std::ifstream report(folder + "nimbrel_error.txt");
    std::string first_line;
    EXPECT_TRUE(std::getline(report, first_line));
    EXPECT_EQ(first_line, "Failed to open file:");
}

// A state folder locked by another program, whose lock file names yet
// another: the start ends as a second instance's does, and neither of the
// two is signalled.
TEST_F(ProgramRunTest, ASecondStartSignalsNoProgramButItself) {
    const std::string lock = folder + "tarrowind.lock";
    ForeignProgram named;
    std::ofstream(lock) << named.pid() << "\n";
    ForeignProgram holder(lock);
    ASSERT_TRUE(holder.holds_lock_on(lock));
    const ProgramResult r = run("--headless --run-ms 2000 --state " + folder);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("Another instance is running."), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(folder + "memlog.txt"));  // it never ran
    EXPECT_TRUE(named.end()) << "the program the lock file named was signalled";
    EXPECT_TRUE(holder.end()) << "the lock's holder was signalled";
}

TEST_F(ProgramRunTest, AStateFolderThatCannotBeWrittenIsNamedSo) {
    struct Case {
        const char* read_only;  // below the state folder
        const char* message;
    };
    for (const Case& c : {Case{"", "the state folder"}, Case{"savegame", "the save folder"}}) {
        const std::string state = folder + "state_" + (*c.read_only ? c.read_only : "itself");
        const std::string locked = state + (*c.read_only ? "/" : "") + c.read_only;
        namespace fs = std::filesystem;
        fs::create_directories(locked);
        // Open to whoever runs the program, but for the folder under test.
        fs::permissions(state, fs::perms::all);
        fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        const ProgramResult r = StartedProgram("--headless --state " + state, folder + "out.txt", true).finish();
        EXPECT_EQ(r.exit_code, 2) << r.output;
        EXPECT_NE(r.output.find(std::string(c.message) + " '" + locked + "' is not writable"), std::string::npos)
            << r.output;
        fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    }
}

// A fatal signal writes the crash report and shows the crash message: in a
// box with a window (the box itself cannot open here: no screen, so only its
// copy on stderr is seen, and a line saying the box could not be shown), on
// stderr when headless.
TEST_F(ProgramRunTest, AFatalSignalShowsTheCrashMessage) {
    struct Case {
        const char* options;
        const char* shown;
    };
    for (const Case& c : {Case{"--headless", "\nException occured.\nCallstack dumped to \\crash.txt\n"},
                          Case{"", "[Quenlo: Duskmarrow] Exception occured.\nCallstack dumped to \\crash.txt\n"
                                   "tarrowind: the message above could not be shown in a box: "}}) {
        std::filesystem::remove(folder + "crash.txt");
        std::filesystem::remove(folder + "tarrowind.lock");
        StartedProgram program(std::string(c.options) + " --run-ms 2000000000 --state " + folder, folder + "out.txt");
        // Running once it holds the lock: the crash handler is in place by then.
        pid_t holder = 0;
        for (int tries = 0; tries < 6000 && holder != program.pid(); ++tries) {
            usleep(10000);
            std::ifstream(folder + "tarrowind.lock") >> holder;
        }
        ASSERT_EQ(holder, program.pid()) << "the program never took its lock";
        kill(program.pid(), SIGSEGV);
        const ProgramResult r = program.finish();
        EXPECT_EQ(r.exit_code, kFailureExitCode) << r.output;
        EXPECT_NE(("\n" + r.output).find(c.shown), std::string::npos) << c.options << ": " << r.output;
        std::ifstream log(folder + "crash.txt");
        std::string first_line;
        EXPECT_TRUE(std::getline(log, first_line));
        EXPECT_NE(first_line.find(": Exception 0xc0000005"), std::string::npos) << first_line;
    }
}

}  // namespace
