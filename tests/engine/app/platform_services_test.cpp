#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "engine/app/shell.h"
#include "engine/core/crt_random.h"
#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform_services.h"
#include "tests/support/fatal_report_host.h"
#include "tests/support/given_program_names.h"
#include "tests/support/scratch_folder.h"

namespace {

// A headless platform, a fresh state folder and an ending that throws.
class ServicesTest : public ::testing::Test {
protected:
    ServicesTest() : folder_("services"), fatal_(folder_.u16()) {}
    ~ServicesTest() override { shell_state().inactive = false; }  // a fatal report raises it

    int ending_code(void (*report)()) {
        const int code = exit_code_of(report);
        if (code == -1) ADD_FAILURE() << "the report returned";
        return code;
    }

    // Reports are shown under the caption the program gave.
    GivenProgramNames names_{{"Services Test", "services_test", "services_test.lock"}};
    ScratchFolder folder_;
    FatalReportHost fatal_;
    HeadlessPlatform& host_ = fatal_.platform();
};

TEST_F(ServicesTest, MissingFileReportReplacesTheErrorFileAndEndsWithCodeOne) {
    folder_.write("nimbrel_error.txt", "an older report that must go\n");
    EXPECT_EQ(ending_code([] { fatal_missing_file(u"fonts\\big.fnt"); }), 1);
    const std::string expected = "Failed to open file:\nfonts\\big.fnt\nexiting application.";
    EXPECT_EQ(folder_.read("nimbrel_error.txt"), expected);
    EXPECT_TRUE(shell_state().inactive);
    ASSERT_EQ(host_.message_boxes().size(), 1u);
    EXPECT_EQ(host_.message_boxes()[0].text, expected);
    EXPECT_EQ(host_.message_boxes()[0].caption, "Services Test");
}

TEST_F(ServicesTest, AssertReportNamesThePlaceAndEndsWithCodeOne) {
    EXPECT_EQ(ending_code([] { fatal_assert("display.cpp", 42, "present failed", "blit", nullptr); }), 1);
    EXPECT_EQ(folder_.read("nimbrel_error.txt"),
              "In display.cpp:42\n\npresent failed\nblit\n<NULL>\n\nexiting application.");
}

TEST_F(ServicesTest, BrokenFileReportNamesTheCallersPlace) {
    static int line;
    auto report = [] {
        line = __LINE__ + 1;
        fatal_broken_file(u"fonts\\big.fnt", "no glyphs");
    };
    EXPECT_EQ(ending_code(report), 1);
    EXPECT_EQ(folder_.read("nimbrel_error.txt"),
              "In tests/engine/app/platform_services_test.cpp:" + std::to_string(line) +
                  "\n\nA required file cannot be used:\nfonts\\big.fnt\nno glyphs\n\nexiting application.");
}

TEST_F(ServicesTest, ReportsKeepNamesBeyondAnyFixedBuffer) {
    std::u16string name(2000, u'a');
    name += u"\u00e9";
    EXPECT_EQ(missing_file_report(name).size(), 21 + 2001 + 21u);
    EXPECT_EQ(assert_report("f", -3, "m", "\xe9", "d").substr(0, 7), u"In f:-3");
    EXPECT_EQ(assert_report("f", 1, "m", "\xe9", "d")[10], char16_t(0xE9));  // zero-extended
}

TEST_F(ServicesTest, FreeMemoryIsWholeMegabytes) {
    host_.set_available_memory_bytes(uint64_t(5.9 * 1048576));
    EXPECT_EQ(free_memory_mb(), 5);
    host_.set_available_memory_bytes(uint64_t(1) << 60);
    EXPECT_EQ(free_memory_mb(), INT32_MAX);
    host_.set_available_memory_bytes(1048575);
    EXPECT_EQ(free_memory_mb(), 0);
}

TEST_F(ServicesTest, CrashLogLinesAppendToTheCrashFile) {
    log_exception(kExceptionAccessViolation, 0x1234, nullptr);
    log_exception(kExceptionIntDivideByZero, 0x7fffdeadbeef, nullptr);
    EXPECT_EQ(folder_.read("crash.txt"),
              "At 0x00001234: Exception 0xc0000005\nAt 0x7fffdeadbeef: Exception 0xc0000094\n");
    EXPECT_EQ(crash_report_text(8, 12, 2026, 20, 5, 9),
              "\nBuild '1.0' crashed at: 8.12.2026. 20:5:9\n\nProfile stack:\n-- Unavailable --\n"
              "\ncall addresses\n-- Unavailable --\n\n------------------------------------------------------\n");
}

TEST_F(ServicesTest, UnhandledExceptionsAreLoggedShownAndEndTheProgram) {
    EXPECT_EQ(ending_code([] { report_unhandled_exception(CrashSite::message_loop); }), kFailureExitCode);
    EXPECT_EQ(ending_code([] { report_unhandled_exception(CrashSite::window_procedure); }), kFailureExitCode);
    ASSERT_EQ(host_.message_boxes().size(), 2u);
    EXPECT_EQ(host_.message_boxes()[0].text, "Exception occured.\nCallstack dumped to \\crash.txt");
    EXPECT_EQ(host_.message_boxes()[1].text, "Exception occured\nCallstack dumped to \\crash.txt");
    std::string log = folder_.read("crash.txt");
    EXPECT_EQ(log.rfind("At 0x00000000: Exception 0xe06d7363\n\nBuild '1.0' crashed at: ", 0), 0u);
}

TEST(CrashSignals, ExceptionCodesFollowTheSignal) {
    EXPECT_EQ(exception_code_for_signal(SIGSEGV, 0), kExceptionAccessViolation);
    EXPECT_EQ(exception_code_for_signal(SIGBUS, 0), kExceptionAccessViolation);
    EXPECT_EQ(exception_code_for_signal(SIGFPE, FPE_INTDIV), kExceptionIntDivideByZero);
    EXPECT_EQ(exception_code_for_signal(SIGFPE, FPE_INTOVF), kExceptionIntOverflow);
    EXPECT_EQ(exception_code_for_signal(SIGFPE, FPE_FLTINV), kExceptionFloatInvalid);
    EXPECT_EQ(exception_code_for_signal(SIGILL, 0), kExceptionIllegalInstruction);
    EXPECT_EQ(exception_code_for_signal(SIGABRT, 0), kExceptionAbort);
}

TEST(CrashSignals, AFatalSignalWritesTheCrashReportAndEndsWithTheFailureCode) {
    ScratchFolder folder("crash_signal");
    set_state_folder(folder.u16());
    GTEST_FLAG_SET(death_test_style, "fast");  // the child writes into this folder
    EXPECT_EXIT(
        {
            install_crash_handler();
            std::raise(SIGSEGV);
        },
        ::testing::ExitedWithCode(kFailureExitCode), "Exception occured");
    std::string log = folder.read("crash.txt");
    EXPECT_EQ(log.rfind("At 0x", 0), 0u) << log;
    EXPECT_NE(log.find(": Exception 0xc0000005\n\nBuild '1.0' crashed at: "), std::string::npos) << log;
    EXPECT_NE(log.find("\ncall addresses\n-- Unavailable --\n"), std::string::npos);
    set_state_folder(u"");
}

// The program that shows the crash message runs in place of the crashed
// process (its exit code is the process's); the message goes to stderr
// when there is none or it cannot start.
TEST(CrashSignals, TheMessageCommandRunsInPlaceOfTheCrashedProcess) {
    ScratchFolder folder("crash_message");
    set_state_folder(folder.u16());
    GTEST_FLAG_SET(death_test_style, "fast");
    struct Case {
        std::vector<std::string> command;
        int exit_code;
        const char* stderr_pattern;
    };
    const Case cases[] = {
        {{"/bin/sh", "-c", "echo \"$0\" >&2; exit 3", "shown instead"}, 3, "^shown instead\n$"},
        {{}, kFailureExitCode, "^Exception occured.\nCallstack dumped to .crash.txt\n$"},
        {{folder / "no-such-program"}, kFailureExitCode, "^Exception occured.\nCallstack dumped to .crash.txt\n$"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                install_crash_handler(c.command);
                std::raise(SIGSEGV);
            },
            ::testing::ExitedWithCode(c.exit_code), c.stderr_pattern);
    }
    // Each crash wrote its report before the message.
    const std::string log = folder.read("crash.txt");
    size_t reports = 0;
    for (size_t at = log.find("crashed at: "); at != std::string::npos; at = log.find("crashed at: ", at + 1)) ++reports;
    EXPECT_EQ(reports, 3u);
    set_state_folder(u"");
}

// Records what the backlight logic asks of the machine.
class FakeBacklight : public BacklightBackend {
public:
    uintptr_t set_power_requirement() override {
        calls.push_back("require");
        return available ? 77 : 0;
    }
    void release_power_requirement(uintptr_t handle) override {
        calls.push_back("release " + std::to_string(handle));
    }
    void signal_event(std::string_view name) override { calls.push_back("event " + std::string(name)); }
    void send_key(uint8_t key, bool down) override {
        calls.push_back("key " + std::to_string(key) + (down ? " down" : " up"));
    }
    void reset_idle_timer() override { calls.push_back("idle"); }
    bool read_setting(std::string_view name, uint32_t& value) override {
        if (name == "Brightness") value = 80;
        else if (name == "BatteryTimeout") value = 30;
        else if (name == "BacklightOnTap") value = 0;
        else return false;
        return true;
    }
    void write_setting(std::string_view name, uint32_t value) override {
        calls.push_back("set " + std::string(name) + "=" + std::to_string(value));
    }
    uint32_t tick_count() override { return now; }

    std::vector<std::string> take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    uint32_t now = 20000;
    bool available = true;
};

class BacklightTest : public ::testing::Test {
protected:
    BacklightTest() {
        reset_backlight_state();
        set_backlight_backend(&fake_);
    }
    ~BacklightTest() override {
        set_backlight_backend(nullptr);
        reset_backlight_state();
    }
    FakeBacklight fake_;
};

using Calls = std::vector<std::string>;

TEST_F(BacklightTest, GivingBackWithNothingSavedChangesNothing) {
    backlight_control(0);
    EXPECT_EQ(fake_.take(), Calls{});
}

TEST_F(BacklightTest, KeepAliveHoldsTheLightAndWakesItEveryNineSeconds) {
    backlight_control(1);
    EXPECT_EQ(fake_.take(), (Calls{"require", "event TIMEOUTDISPLAYOFF", "key 135 down", "key 135 up", "idle"}));
    fake_.now += 9000;  // not more than 9,000 ms: no wake-up
    backlight_control(1);
    EXPECT_EQ(fake_.take(), Calls{"idle"});
    fake_.now += 1;
    backlight_control(2);
    EXPECT_EQ(fake_.take(), (Calls{"event TIMEOUTDISPLAYOFF", "key 135 down", "key 135 up", "idle"}));
    backlight_control(0);
    EXPECT_EQ(fake_.take(), Calls{"release 77"});
}

TEST_F(BacklightTest, DimmingSavesTheSettingsOnceAndGivingBackRestoresThem) {
    backlight_control(-1);
    EXPECT_EQ(fake_.take(), (Calls{"set Brightness=1", "set BatteryTimeout=10", "set BacklightOnTap=1",
                                   "set OnOff=0", "event BackLightChangeEvent", "idle"}));
    EXPECT_TRUE(backlight_settings_saved());
    backlight_control(-1);  // already saved: only the idle timer
    EXPECT_EQ(fake_.take(), Calls{"idle"});
    backlight_control(0);
    EXPECT_EQ(fake_.take(), (Calls{"set Brightness=80", "set BatteryTimeout=30", "set BacklightOnTap=0",
                                   "set OnOff=1", "event BackLightChangeEvent"}));
    EXPECT_FALSE(backlight_settings_saved());
}

TEST_F(BacklightTest, WithoutAPowerFunctionKeepAliveStillWakes) {
    fake_.available = false;
    backlight_control(1);
    backlight_control(1);
    EXPECT_EQ(fake_.take(), (Calls{"require", "event TIMEOUTDISPLAYOFF", "key 135 down", "key 135 up", "idle",
                                   "require", "idle"}));
    backlight_control(0);
    EXPECT_EQ(fake_.take(), Calls{});
}

TEST(BacklightFile, TheDefaultBackEndKeepsSettingsInTheStateFolder) {
    ScratchFolder folder("backlight");
    set_state_folder(folder.u16());
    reset_backlight_state();
    folder.write("backlight.ini", "[Backlight]\nBrightness = 70\nBatteryTimeout = 60\nBacklightOnTap = 1\n");
    backlight_control(-1);
    EXPECT_EQ(folder.read("backlight.ini"),
              "[Backlight]\nBrightness = 1\nBatteryTimeout = 10\nBacklightOnTap = 1\nOnOff = 0\n");
    backlight_control(0);
    EXPECT_EQ(folder.read("backlight.ini"),
              "[Backlight]\nBrightness = 70\nBatteryTimeout = 60\nBacklightOnTap = 1\nOnOff = 1\n");
    reset_backlight_state();
    set_state_folder(u"");
}

class FakeRotation : public OrientationControl {
public:
    int32_t current_orientation() override { return current; }
    void apply_orientation(int32_t orientation) override { applied.push_back(current = orientation); }
    int32_t current = 2;
    std::vector<int32_t> applied;
};

TEST(Orientation, SavedThenUprightThenRestoredAndNothingWithoutRotation) {
    FakeRotation rotation;
    set_orientation_control(&rotation);
    save_display_orientation();
    EXPECT_EQ(saved_display_orientation(), 2);
    restore_display_orientation();
    EXPECT_EQ(rotation.applied, (std::vector<int32_t>{0, 2}));
    set_orientation_control(nullptr);
    save_display_orientation();
    restore_display_orientation();
    EXPECT_EQ(rotation.applied.size(), 2u);
}

TEST(CrtRandom, MatchesTheClassicSequence) {
    crt_srand(1);
    EXPECT_EQ(crt_rand(), 41);
    EXPECT_EQ(crt_rand(), 18467);
    EXPECT_EQ(crt_rand(), 6334);
    crt_srand(1);
    EXPECT_EQ(crt_rand(), 41);  // reseeding starts over
}

}  // namespace
