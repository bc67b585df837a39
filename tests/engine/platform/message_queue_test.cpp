// The window, message queue and timers of the platform layer, driven through
// the headless back end's virtual clock.
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/platform/headless/headless_platform.h"
#include "tests/support/foreign_program.h"

namespace {

struct QueueTest : ::testing::Test {
    HeadlessPlatform host{1000};
    std::vector<Message> received;

    void open_window() {
        host.create_window([this](const Message& m) {
            received.push_back(m);
            if (m.id == MessageId::Destroy) host.post_quit_message(0);
            return 1u;
        });
        received.clear();
    }

    Message next() {
        Message m;
        EXPECT_TRUE(host.get_message(m));
        return m;
    }
};

TEST_F(QueueTest, CreateSendsCreateThenSetFocusAtOnce) {
    host.create_window([this](const Message& m) {
        received.push_back(m);
        return 1u;
    });
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].id, MessageId::Create);
    EXPECT_EQ(received[1].id, MessageId::SetFocus);
    EXPECT_EQ(received[0].window, host.main_window());
}

TEST_F(QueueTest, TimerFiresAtItsPeriodAndIsRearmedFromTakingIt) {
    open_window();
    host.set_timer(7, 5);
    Message m = next();
    EXPECT_EQ(m.id, MessageId::Timer);
    EXPECT_EQ(m.wparam, 7u);
    EXPECT_EQ(host.tick_count(), 1005u);
    next();
    EXPECT_EQ(host.tick_count(), 1010u);
}

TEST_F(QueueTest, LongBlockGivesExactlyOneTimerNotABacklog) {
    open_window();
    host.set_timer(0x113, 5);
    host.sleep_ms(2000);  // the program was busy for two seconds
    Message m = next();
    EXPECT_EQ(m.id, MessageId::Timer);
    const uint32_t after_block = host.tick_count();
    EXPECT_EQ(after_block, 3000u);
    // No second timer is due now: the next one comes a whole period later.
    next();
    EXPECT_EQ(host.tick_count(), after_block + 5);
}

TEST_F(QueueTest, QueuedInputGoesBeforeADueTimer) {
    open_window();
    host.set_timer(0x113, 5);
    host.sleep_ms(10);
    host.post_key(38, true);
    EXPECT_EQ(next().id, MessageId::KeyDown);
    EXPECT_EQ(next().id, MessageId::Timer);
}

TEST_F(QueueTest, PeekReportsADueTimerWithoutTakingIt) {
    open_window();
    host.set_timer(9, 5);
    Message peeked;
    EXPECT_FALSE(host.peek_message(peeked));  // not due yet
    host.sleep_ms(5);
    ASSERT_TRUE(host.peek_message(peeked));
    EXPECT_EQ(peeked.id, MessageId::Timer);
    ASSERT_TRUE(host.peek_message(peeked));
    EXPECT_EQ(peeked.id, MessageId::Timer);
    const Message m = next();
    EXPECT_EQ(m.id, MessageId::Timer);
    EXPECT_EQ(host.tick_count(), 1005u);  // taken without waiting further
}

TEST_F(QueueTest, DestroyedWindowGetsNoTimersOrQueuedMessages) {
    open_window();
    host.set_timer(1, 5);
    host.post_message(MessageId::PcCommand, 3);
    host.destroy_window();
    ASSERT_EQ(received.back().id, MessageId::Destroy);
    host.set_timer(2, 5);  // after destroy: does nothing
    host.post_message(MessageId::Close);
    Message m;
    EXPECT_FALSE(host.get_message(m));  // straight to Quit
    EXPECT_EQ(m.id, MessageId::Quit);
    EXPECT_FALSE(host.get_message(m));  // nothing can ever come
    EXPECT_EQ(received.back().id, MessageId::Destroy);
}

TEST_F(QueueTest, QuitComesAfterThePostedMessages) {
    open_window();
    host.post_message(MessageId::PcCommand, 5);
    host.post_quit_message(0);
    EXPECT_EQ(next().id, MessageId::PcCommand);
    Message m;
    EXPECT_FALSE(host.get_message(m));
}

TEST_F(QueueTest, TimersSurviveTheTickCountWrap) {
    HeadlessPlatform wrapping(0xFFFFFFF0u);
    int timers = 0;
    wrapping.create_window([&](const Message& m) {
        if (m.id == MessageId::Timer) timers++;
        return 1u;
    });
    wrapping.set_timer(1, 5);
    Message m;
    for (int i = 0; i < 10; i++) {
        ASSERT_TRUE(wrapping.get_message(m));
        wrapping.dispatch_message(m);
    }
    EXPECT_EQ(timers, 10);
    EXPECT_EQ(wrapping.tick_count(), 0xFFFFFFF0u + 50);
}

TEST_F(QueueTest, KeyRepeatAndPenRules) {
    open_window();
    host.post_key(65, true);
    host.post_key(65, true);  // held: auto-repeat
    host.post_key(65, false);
    host.post_pen(MessageId::PenMove, 1, 1);  // not down: dropped
    host.post_pen(MessageId::PenDown, -3, 300);
    host.post_pen(MessageId::PenMove, 4, 5);
    host.post_pen(MessageId::PenUp, 4, 5);
    host.post_pen(MessageId::PenUp, 4, 5);  // already up: dropped

    Message m = next();
    EXPECT_EQ(m.id, MessageId::KeyDown);
    EXPECT_EQ(m.lparam & kKeyRepeatBit, 0u);
    m = next();
    EXPECT_EQ(m.id, MessageId::KeyDown);
    EXPECT_NE(m.lparam & kKeyRepeatBit, 0u);
    EXPECT_EQ(next().id, MessageId::KeyUp);
    m = next();
    EXPECT_EQ(m.id, MessageId::PenDown);
    EXPECT_EQ(pen_point_x(m.lparam), -3);
    EXPECT_EQ(pen_point_y(m.lparam), 300);
    EXPECT_EQ(next().id, MessageId::PenMove);
    EXPECT_EQ(next().id, MessageId::PenUp);
    Message waiting;
    EXPECT_FALSE(host.peek_message(waiting));
}

TEST_F(QueueTest, ScriptEventsArriveAtTheirProgramTime) {
    const ParsedScript script = parse_input_script(
        "10 key down ENTER\n"
        "25 pen down 5 6\n"
        "40 close\n");
    ASSERT_TRUE(script.ok()) << script.error;
    host.set_input_script(script.events);
    open_window();
    Message m = next();
    EXPECT_EQ(m.id, MessageId::KeyDown);
    EXPECT_EQ(m.wparam, 13u);
    EXPECT_EQ(host.program_time(), 10u);
    EXPECT_EQ(next().id, MessageId::PenDown);
    EXPECT_EQ(host.program_time(), 25u);
    EXPECT_EQ(next().id, MessageId::Close);
    EXPECT_EQ(host.program_time(), 40u);
}

TEST_F(QueueTest, TerminateSignalBecomesAClose) {
    open_window();
    host.set_timer(1, 5);
    host.sleep_ms(10);
    std::raise(SIGTERM);
    EXPECT_EQ(next().id, MessageId::Close);  // before the due timer
    EXPECT_EQ(next().id, MessageId::Timer);
    std::raise(SIGINT);  // Ctrl+C closes the same way
    EXPECT_EQ(next().id, MessageId::Close);
}

TEST_F(QueueTest, HeadlessRunWithNothingLeftClosesTheWindow) {
    open_window();
    EXPECT_EQ(next().id, MessageId::Close);
}

TEST(InstanceLock, SecondHolderIsRefusedAndRetakingSucceeds) {
    const std::string path = testing::TempDir() + "instance_lock_test_" + std::to_string(getpid()) + ".lock";
    HeadlessPlatform first, second;
    ASSERT_TRUE(first.acquire_instance_lock(path));
    EXPECT_TRUE(first.acquire_instance_lock(path));
    EXPECT_FALSE(second.acquire_instance_lock(path));
    first.release_instance_lock();
    EXPECT_TRUE(second.acquire_instance_lock(path));
    second.release_instance_lock();
    std::remove(path.c_str());
}

// A second start asks the holder to the front; the holder's queue turns
// that into BringToFront. The holder is the one the kernel names: the file
// holds whatever id its last writer left, which may name any program by now.
TEST(InstanceLock, TheHolderIsAskedToTheFrontWhateverIdTheFileHolds) {
    const std::string path = testing::TempDir() + "instance_raise_test_" + std::to_string(getpid()) + ".lock";
    HeadlessPlatform first;
    first.create_window([](const Message&) { return 1u; });
    ASSERT_TRUE(first.acquire_instance_lock(path));
    std::ifstream lock(path);
    pid_t written = 0;
    EXPECT_TRUE(lock >> written);
    EXPECT_EQ(written, getpid());  // still written, for whoever looks

    ForeignProgram stranger;
    std::ofstream(path, std::ios::trunc) << stranger.pid() << "\n";
    Message m;
    EXPECT_FALSE(first.peek_message(m));
    ASSERT_TRUE(Platform::ask_lock_holder_to_raise(path));
    ASSERT_TRUE(first.get_message(m));
    EXPECT_EQ(m.id, MessageId::BringToFront);
    EXPECT_FALSE(first.peek_message(m));  // one request, one message
    EXPECT_TRUE(stranger.end()) << "the process the file named was signalled";
    first.release_instance_lock();

    // Without a holder nobody is asked, whoever the file names.
    for (const std::string& text : {std::string(), std::string("x"), std::string("0\n"), std::string("-5\n"),
                                    std::string("99999999999\n"), std::to_string(getpid()) + "\n"}) {
        std::ofstream(path, std::ios::trunc) << text;
        EXPECT_FALSE(Platform::ask_lock_holder_to_raise(path)) << text;
    }
    EXPECT_FALSE(first.peek_message(m));
    EXPECT_FALSE(Platform::ask_lock_holder_to_raise(path + ".none"));
    std::remove(path.c_str());
}

// A lock held by another program: refused as any holder is, but its holder
// is never signalled, even when the file names it.
TEST(InstanceLock, AHolderOfAnotherProgramIsNeverSignalled) {
    const std::string path = testing::TempDir() + "instance_foreign_test_" + std::to_string(getpid()) + ".lock";
    ForeignProgram holder(path);
    ASSERT_TRUE(holder.holds_lock_on(path));
    std::ofstream(path, std::ios::trunc) << holder.pid() << "\n";
    HeadlessPlatform second;
    EXPECT_FALSE(second.acquire_instance_lock(path));
    EXPECT_FALSE(Platform::ask_lock_holder_to_raise(path));
    EXPECT_TRUE(holder.end()) << "the holder of another program was signalled";
    EXPECT_FALSE(Platform::ask_lock_holder_to_raise(path));  // gone with it
    std::remove(path.c_str());
}

TEST(ExitHook, ReplacesTheProgramsEnd) {
    struct Ended {
        int code;
    };
    set_exit_hook([](int code) { throw Ended{code}; });
    try {
        exit_program(3);
        FAIL() << "exit_program returned";
    } catch (const Ended& e) {
        EXPECT_EQ(e.code, 3);
    }
    set_exit_hook(nullptr);
}

}  // namespace
