#include "sound/files/sound_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> counting_bytes(int count) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) bytes[size_t(i)] = uint8_t(i * 7 + 3);
    return bytes;
}

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char pattern[] = "/tmp/sound_file_test_XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::filesystem::path file = path / name;
        std::filesystem::create_directories(file.parent_path());
        FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        return file.string();
    }
};

TEST(SoundFileWindow, MemoryWindowMovesTellSeekAndReads) {
    std::vector<uint8_t> bytes = counting_bytes(1000);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 1000);
    ASSERT_NE(file, nullptr);
    sound_file_set_start(file, 100);
    sound_file_set_end(file, 149);
    EXPECT_EQ(sound_file_tell(file), -100);  // not moved into the window until the first seek
    EXPECT_EQ(sound_file_seek(file, 0, 0), 100);
    EXPECT_EQ(sound_file_tell(file), 0);
    uint8_t out[80] = {};
    EXPECT_EQ(sound_file_read(out, 1, 80, file), 50);
    EXPECT_EQ(out[0], bytes[100]);
    EXPECT_EQ(out[49], bytes[149]);
    EXPECT_EQ(sound_file_read(out, 1, 10, file), 0);  // at the window's end
    EXPECT_EQ(sound_file_seek(file, 0, 2), 150);       // the window's last byte + 1
    EXPECT_EQ(sound_file_seek(file, 500, 0), 149);     // cut to the window's last byte
    sound_file_close(file);
}

TEST(SoundFileWindow, ElementReadsAreCutToWholeElements) {
    std::vector<uint8_t> bytes = counting_bytes(64);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 64);
    sound_file_set_end(file, 6);  // seven bytes: three whole 2-byte elements
    uint16_t words[8];
    EXPECT_EQ(sound_file_read(words, 2, 8, file), 6);
    sound_file_close(file);
}

TEST(SoundFileMemory, ReadsPastTheEndGiveWhatRemains) {
    std::vector<uint8_t> bytes = counting_bytes(10);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 10);
    uint8_t out[16];
    EXPECT_EQ(sound_file_seek(file, 7, 0), 7);
    EXPECT_EQ(sound_file_read(out, 1, 16, file), 3);
    EXPECT_EQ(out[2], bytes[9]);
    EXPECT_EQ(sound_file_read(out, 1, 16, file), 0);
    EXPECT_EQ(sound_file_seek(file, 50, 0), 10);   // clamped to the length
    EXPECT_EQ(sound_file_seek(file, -50, 1), 0);   // and to the start
    EXPECT_EQ(sound_file_seek(file, 4, 0), 4);
    EXPECT_EQ(sound_file_seek(file, 0, 3), -1);    // unknown origin: the position stays
    EXPECT_EQ(sound_file_tell(file), 4);
    EXPECT_EQ(sound_file_read(out, -1, -5, file), 0);
    EXPECT_EQ(sound_file_read(nullptr, 1, 1, file), -1);
    EXPECT_EQ(sound_file_read(out, 1, -5, file), 0);
    EXPECT_EQ(sound_file_read(out, 1, 1, nullptr), -1);
    sound_file_close(file);
}

TEST(SoundFileMemory, RefusesEmptyBlocksAndCountsElementSizeZeroAsOne) {
    uint8_t byte = 1;
    EXPECT_EQ(sound_file_open(&byte, SOUND_FILE_MEMORY, 0), nullptr);
    EXPECT_EQ(sound_file_open(nullptr, SOUND_FILE_MEMORY, 5), nullptr);
    std::vector<uint8_t> bytes = counting_bytes(8);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 8);
    uint8_t out[4];
    EXPECT_EQ(sound_file_read(out, 0, 4, file), 4);
    EXPECT_EQ(sound_file_read_u8(file), bytes[4]);
    EXPECT_EQ(sound_file_read_u16(file), bytes[5] | (bytes[6] << 8));
    sound_file_close(file);
}

TEST(SoundFileMemory, SwapFlagSwapsTwoAndFourByteElements) {
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SoundFile* file = sound_file_open(bytes, SOUND_FILE_MEMORY | SOUND_FILE_SWAP_BYTES, 8);
    uint8_t out[8];
    ASSERT_EQ(sound_file_read(out, 2, 2, file), 4);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{2, 1, 4, 3}));
    ASSERT_EQ(sound_file_read(out, 4, 1, file), 4);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{8, 7, 6, 5}));
    sound_file_seek(file, 0, 0);
    ASSERT_EQ(sound_file_read(out, 1, 3, file), 3);  // single bytes stay as they are
    EXPECT_EQ(out[0], 1);
    sound_file_close(file);
}

TEST(SoundFileBuffered, LargeReadGoesStraightThenThroughTheBuffer) {
    TempDir dir;
    std::vector<uint8_t> bytes = counting_bytes(9000);
    std::string path = dir.write("data.bin", bytes);
    SoundFile* file = sound_file_open(path.c_str(), SOUND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->length, 9000);
    std::vector<uint8_t> out(5000);
    ASSERT_EQ(sound_file_read(out.data(), 1, 5000, file), 5000);
    EXPECT_EQ(out, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5000));
    // 4096 bytes were read straight; the last 904 came from a filled buffer.
    EXPECT_EQ(file->buffer_offset, 904);
    EXPECT_EQ(file->buffer_invalid, 0);
    sound_file_close(file);
}

TEST(SoundFileBuffered, SeeksInsideAndOutsideTheBufferReadTheRightBytes) {
    TempDir dir;
    std::vector<uint8_t> bytes = counting_bytes(7000);
    std::string path = dir.write("data.bin", bytes);
    SoundFile* file = sound_file_open(path.c_str(), SOUND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    uint8_t out[300];
    const int positions[] = {10, 2040, 100, 6999, 4096, 4095, 3000, 0};
    for (int position : positions) {
        ASSERT_EQ(sound_file_seek(file, position, 0), position);
        int want = std::min(300, 7000 - position);
        ASSERT_EQ(sound_file_read(out, 1, 300, file), want) << position;
        for (int i = 0; i < want; ++i) ASSERT_EQ(out[i], bytes[size_t(position + i)]) << position << "+" << i;
        EXPECT_EQ(sound_file_tell(file), position + want);
    }
    sound_file_close(file);
}

TEST(SoundFilePlatform, NamesResolveWithEitherSeparatorAndAnyCase) {
    TempDir dir;
    std::vector<uint8_t> bytes = counting_bytes(33);
    dir.write("Sfx/Magic/Drink.WAV", bytes);
    std::string name = dir.path.string() + "\\sfx\\MAGIC\\drink.wav";
    for (int kind : {SOUND_FILE_PLATFORM, SOUND_FILE_BUFFERED}) {
        SoundFile* file = sound_file_open(name.c_str(), kind, 0);
        ASSERT_NE(file, nullptr) << kind;
        EXPECT_EQ(file->length, 33);
        uint8_t out[40];
        EXPECT_EQ(sound_file_seek(file, 30, 0), 30);
        EXPECT_EQ(sound_file_read(out, 1, 40, file), 3);
        EXPECT_EQ(out[0], bytes[30]);
        EXPECT_EQ(sound_file_tell(file), 33);
        sound_file_close(file);
    }
    std::string missing = dir.path.string() + "/sfx/none.wav";
    EXPECT_EQ(sound_file_open(missing.c_str(), SOUND_FILE_PLATFORM, 0), nullptr);
    EXPECT_EQ(sound_file_open(missing.c_str(), SOUND_FILE_BUFFERED, 0), nullptr);
}

// User callbacks over a block of memory; reads can be cut short or fail.
struct CallbackSource {
    std::vector<uint8_t> bytes = counting_bytes(100);
    int position = 0;
    int short_reads = 0;  // bytes a read gives at most (0 = all)
    bool fail_reads = false;
    int opens = 0, closes = 0;
    std::atomic<int> read_delay_ms{0};
};
CallbackSource* g_source = nullptr;

intptr_t callback_open(const char* name) {
    if (std::string(name) != "blob") return 0;
    ++g_source->opens;
    return reinterpret_cast<intptr_t>(g_source);
}
void callback_close(intptr_t) { ++g_source->closes; }
int callback_read(void* buffer, int bytes, intptr_t handle) {
    auto* source = reinterpret_cast<CallbackSource*>(handle);
    if (source->read_delay_ms) std::this_thread::sleep_for(std::chrono::milliseconds(source->read_delay_ms));
    if (source->fail_reads) return -1;
    int n = std::min(bytes, int(source->bytes.size()) - source->position);
    if (source->short_reads) n = std::min(n, source->short_reads);
    std::memcpy(buffer, source->bytes.data() + source->position, size_t(n));
    source->position += n;
    return n;
}
int callback_seek(intptr_t handle, int offset, int origin) {
    auto* source = reinterpret_cast<CallbackSource*>(handle);
    int base = origin == 1 ? source->position : origin == 2 ? int(source->bytes.size()) : 0;
    source->position = std::clamp(base + offset, 0, int(source->bytes.size()));
    return 0;
}
int callback_tell(intptr_t handle) { return reinterpret_cast<CallbackSource*>(handle)->position; }

class SoundFileCallbacks : public ::testing::Test {
protected:
    CallbackSource source;
    void SetUp() override {
        g_source = &source;
        file_set_callbacks(callback_open, callback_close, callback_read, callback_seek, callback_tell);
    }
    void TearDown() override {
        file_set_callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
        g_source = nullptr;
    }
};

TEST_F(SoundFileCallbacks, OneNullCallbackClearsAllFive) {
    EXPECT_EQ(sound_file_has_callbacks(), 1);
    file_set_callbacks(callback_open, callback_close, callback_read, nullptr, callback_tell);
    EXPECT_EQ(sound_file_has_callbacks(), 0);
    EXPECT_EQ(sound_file_open("blob", SOUND_FILE_CALLBACKS, 0), nullptr);
    EXPECT_EQ(source.opens, 0);
}

TEST_F(SoundFileCallbacks, LengthComesFromTheCallbacksAndCloseCallsBack) {
    EXPECT_EQ(sound_file_open("other", SOUND_FILE_CALLBACKS, 0), nullptr);
    SoundFile* file = sound_file_open("blob", SOUND_FILE_CALLBACKS, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->length, 100);
    EXPECT_EQ(sound_file_tell(file), 0);
    sound_file_close(file);
    EXPECT_EQ(source.closes, 1);
}

TEST_F(SoundFileCallbacks, ShortAndFailedReadsMoveThePositionOnlyByWhatWasRead) {
    SoundFile* file = sound_file_open("blob", SOUND_FILE_CALLBACKS, 0);
    ASSERT_NE(file, nullptr);
    source.short_reads = 7;
    uint8_t out[50];
    EXPECT_EQ(sound_file_read(out, 1, 50, file), 7);
    EXPECT_EQ(file->position, 7);
    source.fail_reads = true;
    EXPECT_EQ(sound_file_read(out, 1, 50, file), -1);
    EXPECT_EQ(file->error, 1);
    EXPECT_EQ(file->position, 7);
    source.fail_reads = false;
    EXPECT_EQ(sound_file_read(out, 1, 5, file), 5);
    EXPECT_EQ(file->error, 0);
    EXPECT_EQ(out[0], source.bytes[7]);
    sound_file_close(file);
}

TEST(SoundFileAsync, MoreRequestsThanTheQueueHoldsAreAllServedInOrder) {
    std::vector<uint8_t> bytes = counting_bytes(300);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 300);
    sound_file_set_synchronous(file, 0);
    std::vector<uint8_t> out(300, 0);
    for (int i = 0; i < 150; ++i) EXPECT_EQ(sound_file_read(&out[size_t(2 * i)], 1, 2, file), 2);
    EXPECT_EQ(sound_file_tell(file), 300);  // the caller's view runs ahead
    EXPECT_EQ(sound_file_seek(file, 10, 0), 10);
    sound_file_wait_async(file);
    EXPECT_EQ(file->pending_requests.load(), 0);
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(file->position, 10);
    sound_file_set_synchronous(file, 1);
    EXPECT_EQ(sound_file_read_u8(file), bytes[10]);
    sound_file_close(file);
}

TEST_F(SoundFileCallbacks, CancelledRequestsAreSkippedAndCloseWaitsForPending) {
    SoundFile* file = sound_file_open("blob", SOUND_FILE_CALLBACKS, 0);
    ASSERT_NE(file, nullptr);
    source.read_delay_ms = 2;
    sound_file_set_synchronous(file, 0);
    std::vector<uint8_t> out(100, 0xEE);
    for (int i = 0; i < 100; ++i) sound_file_read(&out[size_t(i)], 1, 1, file);
    sound_file_cancel_requests(file);
    sound_file_wait_async(file);
    EXPECT_EQ(file->pending_requests.load(), 0);
    int served = int(std::count_if(out.begin(), out.end(), [](uint8_t b) { return b != 0xEE; }));
    EXPECT_LT(served, 100);
    for (int i = 0; i < served; ++i) EXPECT_EQ(out[size_t(i)], source.bytes[size_t(i)]);
    source.read_delay_ms = 1;
    for (int i = 0; i < 20; ++i) sound_file_read(&out[0], 1, 1, file);
    sound_file_close(file);  // must wait for the 20 reads, then close
    EXPECT_EQ(source.closes, 1);
}

TEST(SoundFileAsync, ShutdownJoinsTheWorkerAndANewRequestRestartsIt) {
    std::vector<uint8_t> bytes = counting_bytes(16);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 16);
    sound_file_set_synchronous(file, 0);
    uint8_t out[4] = {};
    sound_file_read(out, 1, 4, file);
    sound_file_async_shutdown();
    sound_file_async_shutdown();  // a second shutdown is harmless
    EXPECT_EQ(file->pending_requests.load(), 0);
    EXPECT_EQ(out[3], bytes[3]);
    sound_file_read(out, 1, 4, file);
    sound_file_wait_async(file);
    EXPECT_EQ(out[0], bytes[4]);
    sound_file_close(file);
    sound_file_async_shutdown();
}

}  // namespace

#include "tests/sound/sound_test_support.h"

namespace {

TEST(SoundFileAsync, WithoutThreadsRequestsAreServedAtOnce) {
    sound_test::NonRealtimeSound library;
    ASSERT_TRUE(library.ok);
    std::vector<uint8_t> bytes = counting_bytes(100);
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 100);
    sound_file_set_synchronous(file, 0);
    uint8_t out[100] = {};
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(sound_file_read(&out[i], 1, 1, file), 1);
        EXPECT_EQ(out[i], bytes[size_t(i)]);  // already there: nothing was queued
    }
    EXPECT_EQ(sound_file_seek(file, 5, 0), 5);
    EXPECT_EQ(file->position, 5);
    EXPECT_EQ(file->pending_requests.load(), 0);
    sound_file_close(file);
}

TEST(SoundFileAsync, LibraryShutdownStopsTheWorker) {
    std::vector<uint8_t> bytes = counting_bytes(100);
    std::vector<uint8_t> out(100, 0);
    {
        sound_test::NonRealtimeSound library(44100, MIXER_QUALITY_AUTODETECT, 32, 0, 75);
        ASSERT_TRUE(library.ok);
    }
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, 100);
    sound_file_set_synchronous(file, 0);
    for (int i = 0; i < 100; ++i) sound_file_read(&out[size_t(i)], 1, 1, file);
    sound_close();  // runs the file worker's shutdown, which serves what is queued and joins
    EXPECT_EQ(file->pending_requests.load(), 0);
    EXPECT_EQ(out, bytes);
    sound_file_close(file);
}

}  // namespace
