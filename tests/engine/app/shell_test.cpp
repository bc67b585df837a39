// The shell driven end to end through the headless back end: start-up and
// shutdown order, focus, closing, desktop commands, the idle pump, the
// memory log and the key and pen paths.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/app/input_mapping.h"
#include "engine/app/shell.h"
#include "engine/core/fatal_report.h"
#include "engine/core/memory_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "recording_scene.h"
#include "tests/support/given_program_names.h"
#include "tests/support/program_end.h"
#include "tests/support/scratch_folder.h"

namespace {

struct ShellTest : ::testing::Test {
    // The shell's captions and lock bear the names the program gave.
    GivenProgramNames names{{"Shell Test", "shell_test", "shell_test.lock"}};
    HeadlessPlatform host{0x00A00000};
    CallLog log;
    std::unique_ptr<RecordingManager> manager;
    RecordingScene* game = nullptr;
    std::string folder;
    int startups = 0;

    void SetUp() override {
        folder = make_scratch_folder("shell_test") + "/";
        set_state_folder(utf8_to_utf16(folder));
        set_platform(&host);
        throw_on_program_end();
        shell_state() = ShellState{};
        g_current_scene = nullptr;
        g_device_model = kDeviceUnknown;

        ShellHooks& hooks = shell_hooks();
        hooks = ShellHooks{};
        hooks.engine_objects_init = [this] { log.push_back("engine objects " + at()); };
        hooks.engine_objects_shutdown = [this] { log.push_back("engine objects gone"); };
        hooks.after_message_loop = [this] { log.push_back("loop ended"); };
        hooks.game_startup = [this] {
            startups++;
            log.push_back("game startup " + at());
            manager = std::make_unique<RecordingManager>(log);
            game = new RecordingScene(log, "Game");
            manager->add(game);
            manager->switch_to("Game", 0);
            return 1;
        };
        hooks.game_shutdown = [this] {
            log.push_back("game shutdown " + at());
            manager->shutdown();
            manager.reset();
            game = nullptr;
            return 1;
        };
    }
    void TearDown() override {
        shell_hooks() = ShellHooks{};
        set_exit_hook(nullptr);
        set_platform(nullptr);
        g_current_scene = nullptr;
        std::filesystem::remove_all(folder);
        set_state_folder(u"");
    }

    std::string at() { return "at " + std::to_string(host.program_time()); }

    void script(const char* text) {
        const ParsedScript s = parse_input_script(text);
        ASSERT_TRUE(s.ok()) << s.error;
        host.set_input_script(s.events);
    }

    int memlog_lines() {
        std::ifstream in(folder + "memlog.txt");
        int lines = 0;
        for (std::string line; std::getline(in, line);) {
            EXPECT_NE(line.find(" memory free"), std::string::npos);
            lines++;
        }
        return lines;
    }

    // Entries of the log that contain `text`.
    int entries_with(const std::string& text) {
        int n = 0;
        for (const auto& e : log) n += e.find(text) != std::string::npos;
        return n;
    }
};

TEST_F(ShellTest, StartsOnTheFirstStartTimerAndShutsDownInOrder) {
    host.close_at(1000);
    EXPECT_EQ(run_shell(), 0);
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[0], "engine objects at 100");
    EXPECT_EQ(log[1], "game startup at 100");
    EXPECT_EQ(log[2], "Game.enter 0");
    const CallLog tail(log.end() - 5, log.end());
    EXPECT_EQ(tail, (CallLog{"game shutdown at 1000", "Game.leave", "Game.destroyed", "engine objects gone",
                             "loop ended"}));
    // 100 ms logic steps from the start at 100 ms to the close.
    EXPECT_EQ(count_of(log, "Game.update"), 9);
    EXPECT_FALSE(shell_state().engine_started);
    EXPECT_EQ(g_current_scene, nullptr);
    EXPECT_FALSE(host.has_window());
}

TEST_F(ShellTest, WithoutAGameTheEmptyLoadSceneRuns) {
    shell_hooks().game_startup = nullptr;
    shell_hooks().game_shutdown = nullptr;
    host.close_at(500);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(g_current_scene, nullptr);
    // The first frame of the "Load" scene presented the whole black screen.
    FrontBuffer black;
    ASSERT_TRUE(black.open(240, 320));
    EXPECT_GE(host.front_buffer().present_count(), 1u);
    EXPECT_EQ(host.front_buffer().width(), 240);
    EXPECT_EQ(host.front_buffer().height(), 320);
    EXPECT_EQ(host.front_buffer().crc(), black.crc());
}

TEST_F(ShellTest, InactiveMeansNoTicksNoRenderAndNoMemoryLog) {
    script("300 focus lost\n1800 focus gained\n");
    std::vector<uint32_t> step_times;
    shell_hooks().game_startup = [this, &step_times] {
        manager = std::make_unique<RecordingManager>(log);
        game = new RecordingScene(log, "Game");
        game->on_update = [this, &step_times] { step_times.push_back(host.program_time()); };
        manager->add(game);
        manager->switch_to("Game", 0);
        return 1;
    };
    host.close_at(2000);
    run_shell();
    ASSERT_FALSE(step_times.empty());
    for (uint32_t t : step_times) EXPECT_TRUE(t < 300 || t >= 1800) << t;
    // Focus changes go before the frame timer due at the same moment, so
    // the ticks counted are those at 105..295 ms and 1800..1995 ms.
    EXPECT_EQ(shell_state().memlog_ticks, 39u + 40u);
    EXPECT_EQ(memlog_lines(), 7);
    EXPECT_EQ(count_of(log, "manager.suspend"), 1);
    // Catch-up after focus returns is bounded: no burst of lost steps.
    int after = 0;
    for (uint32_t t : step_times) after += t > 1800 && t <= 1810;
    EXPECT_LE(after, 1);
}

TEST_F(ShellTest, FocusLostBeforeTheEngineStartsDelaysTheStart) {
    script("50 focus lost\n250 focus gained\n");
    host.close_at(600);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(log[0], "engine objects at 300");
    EXPECT_EQ(count_of(log, "manager.suspend"), 0);
}

TEST_F(ShellTest, FocusLostWhileClosingReachesNoSceneOwner) {
    shell_hooks().game_shutdown = [this] {
        log.push_back("game shutdown");
        manager->shutdown();
        // A message box or a new window during exit takes the focus away.
        platform().send_message(MessageId::KillFocus);
        manager.reset();
        return 1;
    };
    host.close_at(400);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(count_of(log, "manager.suspend"), 0);
    EXPECT_TRUE(shell_state().inactive);
}

TEST_F(ShellTest, CloseBeforeTheEngineStartsOnlyDestroysTheWindow) {
    host.close_at(50);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(log, (CallLog{"loop ended"}));
}

TEST_F(ShellTest, TwoQueuedClosesShutDownOnce) {
    script("500 close\n500 close\n");
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(entries_with("game shutdown"), 1);
    EXPECT_EQ(count_of(log, "engine objects gone"), 1);
}

TEST_F(ShellTest, RestartCommandsBuildANewWindowAndStartAgain) {
    for (uint32_t command : {1u, 2u, 4u}) {
        SCOPED_TRACE(command);
        log.clear();
        startups = 0;
        shell_hooks().at_restart_point = [this, command] {
            log.push_back("restart point");
            // Each window asks for a restart once its engine runs, the
            // second closes normally.
            if (startups == 0) {
                host.set_input_script({});
            } else {
                host.close_at(host.program_time() + 300);
            }
        };
        auto startup = shell_hooks().game_startup;
        shell_hooks().game_startup = [this, startup, command] {
            const int ok = startup();
            if (startups == 1) platform().post_message(MessageId::PcCommand, command);
            return ok;
        };
        EXPECT_EQ(run_shell(), 0);
        shell_hooks().game_startup = startup;
        EXPECT_EQ(startups, 2);
        EXPECT_EQ(count_of(log, "restart point"), 2);
        EXPECT_EQ(entries_with("game shutdown"), 2);
        EXPECT_FALSE(shell_state().restart_requested);
    }
}

TEST_F(ShellTest, CommandThreeClosesFiveDoesNothingOthersComplain) {
    auto startup = shell_hooks().game_startup;
    shell_hooks().game_startup = [startup] {
        const int ok = startup();
        platform().post_message(MessageId::PcCommand, 5);
        platform().post_message(MessageId::PcCommand, 0x10006);  // command in the low word
        platform().post_message(MessageId::PcCommand, 3);
        return ok;
    };
    host.close_at(5000);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(entries_with("game shutdown at 100"), 1);  // closed by command 3
    ASSERT_EQ(host.message_boxes().size(), 1u);
    EXPECT_EQ(host.message_boxes()[0].text, "Unsupported PC command!");
    EXPECT_EQ(host.message_boxes()[0].caption, "Shell Test");
}

TEST_F(ShellTest, FailedStartDestroysTheWindowWithoutShutdown) {
    shell_hooks().game_startup = [this] {
        log.push_back("game startup");
        return 0;
    };
    host.close_at(5000);
    EXPECT_EQ(run_shell(), 0);
    EXPECT_EQ(entries_with("game shutdown"), 0);
    EXPECT_EQ(count_of(log, "engine objects gone"), 0);
    EXPECT_EQ(host.program_time(), 100u);  // ended at once, not at the close
}

TEST_F(ShellTest, The101stWaitingMessageForcesAnIdleCall) {
    auto startup = shell_hooks().game_startup;
    shell_hooks().game_startup = [this, startup] {
        const int ok = startup();
        game->idle_pump = true;
        game->on_idle = [this] { game->idle_pump = false; };
        for (int i = 0; i < 150; i++) platform().post_message(MessageId::KeyDown, 66, 0);
        return ok;
    };
    host.close_at(300);
    run_shell();
    int keys_before_idle = 0;
    for (const auto& e : log) {
        if (e == "Game.idle") break;
        keys_before_idle += e == "Game.key 1 66 66";
    }
    EXPECT_EQ(keys_before_idle, 101);
    EXPECT_EQ(count_of(log, "Game.key 1 66 66"), 150);
}

TEST_F(ShellTest, IdleCallsFillTheTimeBetweenMessages) {
    int idles = 0;
    auto startup = shell_hooks().game_startup;
    shell_hooks().game_startup = [this, startup, &idles] {
        const int ok = startup();
        game->idle_pump = true;
        game->on_idle = [&idles] { idles++; };
        return ok;
    };
    host.close_at(200);
    EXPECT_EQ(run_shell(), 0);
    // A virtual millisecond an idle call: about one per ms until the close.
    EXPECT_GE(idles, 90);
    EXPECT_LE(idles, 200);
}

TEST_F(ShellTest, EveryTenthTimerTickWritesTheMemoryLogTimerTwoIncluded) {
    host.set_available_memory_bytes(5'000'000'000ull);
    host.close_at(5046);
    run_shell();
    // Frame ticks at 105..5045 ms (989) plus timer 2 at 5000 ms.
    EXPECT_EQ(memlog_lines(), 99);
    std::ifstream in(folder + "memlog.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "5000000000 memory free");  // no 32-bit overflow
}

// The log is kept within the limit at the start and while the program runs:
// a log that passes 1 MiB starts afresh, the one before kept as the old one
// (replacing an older one), so the two never take much more than 2 MiB.
TEST_F(ShellTest, AMemoryLogPastOneMegabyteStartsAfreshAndTheOldOneIsKept) {
    constexpr uintmax_t kLimit = 1 << 20;
    enum class Rotated { never, at_start, while_running };
    struct Case {
        uintmax_t bytes;  // the log before the start
        Rotated rotated;
    };
    namespace fs = std::filesystem;
    for (const Case& c : {Case{100, Rotated::never}, Case{kLimit - 20, Rotated::while_running},
                          Case{kLimit, Rotated::while_running}, Case{kLimit + 1, Rotated::at_start}}) {
        std::ofstream(folder + "memlog.old.txt", std::ios::trunc) << "an older log";
        std::ofstream(folder + "memlog.txt", std::ios::trunc) << std::string(c.bytes, 'x');
        host.close_at(host.program_time() + 1046);
        run_shell();
        const uintmax_t now = fs::file_size(folder + "memlog.txt");
        const uintmax_t old = fs::file_size(folder + "memlog.old.txt");
        EXPECT_LE(now, kLimit) << c.bytes;
        switch (c.rotated) {
            case Rotated::never:
                EXPECT_GT(now, c.bytes);
                EXPECT_EQ(old, 12u);
                break;
            case Rotated::at_start:
                EXPECT_EQ(old, c.bytes);
                EXPECT_GT(memlog_lines(), 1);  // only this run's lines
                break;
            case Rotated::while_running:
                EXPECT_GT(old, kLimit) << c.bytes;
                EXPECT_LT(old, kLimit + 64) << c.bytes;  // rotated at the line that passed the limit
                EXPECT_GT(memlog_lines(), 0) << c.bytes;  // the lines after it
                break;
        }
    }
}

TEST_F(ShellTest, StartRemovesStaleTempFilesOfInterruptedWrites) {
    namespace fs = std::filesystem;
    fs::create_directories(folder + "savegame/save1.dat.tmp-Folder");
    struct Case {
        const char* name;
        bool stale;
    };
    const Case cases[] = {
        {"settings.ini.tmp-a1B2c3", true},
        {"savegame/save1.dat.tmp-Q9x0Zz", true},
        {"savegame/save1.dat", false},
        {"savegame/io.ini.tmp-12345", false},     // five letters: not ours
        {"savegame/io.ini.tmp-1234567", false},   // seven
        {"savegame/notes.tmp-ab_de!", false},
        {".tmp-abcdef", false},                    // no target name
    };
    for (const Case& c : cases) std::ofstream(folder + c.name) << "x";
    host.close_at(500);
    run_shell();
    for (const Case& c : cases) EXPECT_EQ(fs::exists(folder + c.name), !c.stale) << c.name;
    EXPECT_TRUE(fs::is_directory(folder + "savegame/save1.dat.tmp-Folder"));
}

// What operator new does when the heap refuses a request: it calls the
// handler and tries again, for as long as the handler returns.
TEST_F(ShellTest, TheCppHeapGivesBackTheReserveThenPurgesThenReportsMemoryFull) {
    host.close_at(500);
    run_shell();
    const std::new_handler refused = std::get_new_handler();
    ASSERT_NE(refused, nullptr);
    static int purges;
    set_cache_purge([] { purges++; });
    ensure_memory_reserve();
    ASSERT_TRUE(mem_reserve_held());
    purges = 0;
    struct Step {
        bool reserve_after;
        int purges_after;
    };
    for (const Step& step : {Step{false, 0}, Step{false, 1}}) {
        refused();
        EXPECT_EQ(mem_reserve_held(), step.reserve_after);
        EXPECT_EQ(purges, step.purges_after);
        EXPECT_TRUE(host.message_boxes().empty());
    }
    EXPECT_EQ(exit_code_of(refused), kFailureExitCode);
    ASSERT_EQ(host.message_boxes().size(), 1u);
    EXPECT_EQ(host.message_boxes()[0].text, "Memory full!");
    std::set_new_handler(nullptr);
    set_cache_purge(nullptr);
    ensure_memory_reserve();
}

TEST_F(ShellTest, KeysRepeatsAndIgnoredCodes) {
    script(
        "200 key down A\n"
        "210 key down A\n"
        "220 key up A\n"
        "230 key down 132\n"
        "240 key down 91\n"
        "250 key down 202\n");
    host.close_at(400);
    run_shell();
    EXPECT_EQ(count_of(log, "Game.key 1 20 65"), 1);  // the repeat is dropped
    EXPECT_EQ(count_of(log, "Game.key 2 20 65"), 1);  // its key-up delivered
    EXPECT_EQ(entries_with(" 132"), 0);
    EXPECT_EQ(entries_with(" 91"), 0);
    EXPECT_EQ(count_of(log, "Game.key 1 202 202"), 1);
}

TEST_F(ShellTest, DeviceModelsRewriteKeysBeforeTheGameKeyTable) {
    // Key codes as the device reports them, the game keys the scene sees.
    host.set_oem_name("hp iPAQ hw6515");
    script(
        "200 key down 114\n"
        "210 key down 117\n"
        "220 key down F1\n"
        "230 key down 16\n"
        "240 key down LEFT\n"
        "250 key down B\n");
    host.close_at(400);
    run_shell();
    EXPECT_EQ(count_of(log, "Game.key 1 8 193"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 2 38"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 0 37"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 66 66"), 1);
    EXPECT_EQ(entries_with("Game.key"), 4);  // F1 (193) and 16 dropped
}

TEST_F(ShellTest, AximX30ButtonsAreLoweredTwice) {
    host.set_oem_name("Dell Axim X30");
    script("200 key down F5\n210 key down F4\n220 key down F3\n230 key down ENTER\n");
    host.close_at(400);
    run_shell();
    EXPECT_EQ(g_device_model, kDeviceAximX30);
    EXPECT_EQ(count_of(log, "Game.key 1 10 195"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 9 194"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 8 193"), 1);
    EXPECT_EQ(count_of(log, "Game.key 1 6 13"), 1);
}

// One device per run: the raw code a key script sends, and what the scene
// must receive ("Game.key kind game_key key_code"), or nothing.
struct DeviceKeyCase {
    const char* oem_name;
    const char* key;
    const char* expected;  // null: dropped
};

class DeviceKeyTest : public ShellTest, public ::testing::WithParamInterface<DeviceKeyCase> {};

TEST_P(DeviceKeyTest, ScriptedKeyReachesTheSceneAsTheDeviceSays) {
    const DeviceKeyCase& c = GetParam();
    host.set_oem_name(c.oem_name);
    script((std::string("200 key down ") + c.key + "\n").c_str());
    host.close_at(300);
    run_shell();
    if (c.expected) {
        EXPECT_EQ(count_of(log, c.expected), 1);
    } else {
        EXPECT_EQ(entries_with("Game.key"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Models, DeviceKeyTest,
    ::testing::Values(DeviceKeyCase{"hp iPAQ hx47", "202", "Game.key 1 11 196"},
                      DeviceKeyCase{"hp iPAQ hx2110", "201", nullptr},
                      DeviceKeyCase{"hp iPAQ rz1715", "134", "Game.key 1 6 13"},
                      DeviceKeyCase{"ASUS", "203", "Game.key 1 7 197"},
                      DeviceKeyCase{"ASUS", "209", nullptr},
                      DeviceKeyCase{"Pocket LOOX 7", "200", "Game.key 1 9 194"},
                      DeviceKeyCase{"hp iPAQ hw65", "118", "Game.key 1 3 40"},
                      DeviceKeyCase{"Dell Axim X51v", "202", "Game.key 1 7 197"},
                      DeviceKeyCase{"unknown", "F1", "Game.key 1 8 193"},
                      DeviceKeyCase{"unknown", "135", nullptr}));

TEST_F(ShellTest, PenPathSetsAndClearsThePenPosition) {
    script("200 pen down 10 20\n210 pen move 11 21\n220 pen up 12 22\n");
    std::vector<std::pair<int32_t, int32_t>> seen;
    auto startup = shell_hooks().game_startup;
    shell_hooks().game_startup = [this, startup] {
        const int ok = startup();
        game->add_state("Walking", new RecordingState(log));
        game->switch_state("Walking", 0);
        return ok;
    };
    host.close_at(400);
    run_shell();
    EXPECT_EQ(count_of(log, "Game.pointer 4 10 20"), 1);
    EXPECT_EQ(count_of(log, "state Walking.pointer 4 10 20"), 1);
    EXPECT_EQ(count_of(log, "Game.pointer 3 11 21"), 1);
    EXPECT_EQ(count_of(log, "Game.pointer 5 12 22"), 1);
    EXPECT_EQ(shell_state().pen_down_at, (Point{-1, -1}));
    EXPECT_FALSE(shell_state().pen_down);
}

TEST_F(ShellTest, LowMemoryRefusesToStartWithAFailureCode) {
    host.set_available_memory_bytes(0x600000 - 1);
    try {
        run_shell();
        FAIL() << "the shell started with too little memory";
    } catch (const ProgramEnded& e) {
        EXPECT_EQ(e.code, 1);
    }
    ASSERT_EQ(host.message_boxes().size(), 1u);
    EXPECT_NE(host.message_boxes()[0].text.find("6 MB"), std::string::npos);
    EXPECT_TRUE(log.empty());
}

// The first instance (here `other`, in this process) is asked to the front
// and raises its window when its shell sees the request.
TEST_F(ShellTest, SecondInstanceEndsWithoutAWindowAndRaisesTheFirst) {
    HeadlessPlatform other;
    std::vector<MessageId> first_got;
    other.create_window([&](const Message& m) {
        first_got.push_back(m.id);
        return 1u;
    });
    ASSERT_TRUE(other.acquire_instance_lock(folder + "shell_test.lock"));
    EXPECT_EQ(run_shell(), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(host.has_window());
    Message m;
    ASSERT_TRUE(other.peek_message(m));
    EXPECT_EQ(m.id, MessageId::BringToFront);

    EXPECT_EQ(host.raise_count(), 0);
    EXPECT_EQ(main_wnd_proc(m), 0u);
    EXPECT_EQ(host.raise_count(), 1);
}

}  // namespace
