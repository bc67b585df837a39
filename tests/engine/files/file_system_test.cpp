#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/file_readers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "tests/support/scratch_folder.h"

namespace {

// A source behind the loose files that serves one name from memory, the way
// the archive source does.
class MemorySource : public FileSource {
public:
    MemorySource(std::u16string name, std::string contents)
        : name_(std::move(name)), contents_(std::move(contents)) {}

    int load_file(std::u16string_view name, uint8_t** bytes, int32_t* size) override {
        if (name != name_) return kFileNotFound;
        *bytes = static_cast<uint8_t*>(mem_alloc(contents_.size() + 2));
        std::memcpy(*bytes, contents_.data(), contents_.size());
        (*bytes)[contents_.size()] = (*bytes)[contents_.size() + 1] = 0;
        *size = int32_t(contents_.size());
        return kFileOk;
    }
    int save_file(std::u16string_view, const uint8_t*, int32_t) override { return kFileOk; }
    FileHandle* open(std::u16string_view name) override {
        if (name != name_) return nullptr;
        auto* handle = new FileHandle;
        handle->size = int32_t(contents_.size());
        return handle;
    }
    int32_t read(FileHandle* handle, void* buffer, int32_t n) override {
        std::memcpy(buffer, contents_.data() + handle->position, size_t(n));
        handle->position += n;
        return n;
    }
    void close(FileHandle* handle) override { delete handle; }

private:
    std::u16string name_;
    std::string contents_;
};

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() : folder_("file_system") { set_program_folder(folder_.u16()); }

    // The whole file through the file system, or "<missing>".
    std::string load(std::u16string_view name) {
        uint8_t* bytes = nullptr;
        int32_t size = -1;
        if (files_.load_file(name, &bytes, &size) != 0) return "<missing>";
        std::string text(reinterpret_cast<char*>(bytes), size_t(size));
        EXPECT_EQ(bytes[size], 0);
        EXPECT_EQ(bytes[size + 1], 0);
        mem_free(bytes);
        return text;
    }

    ScratchFolder folder_;
    FileSystem files_;
};

TEST_F(FileSystemTest, LoadsWholeFilesWithTwoZeroBytesAppended) {
    folder_.write("ten.txt", "0123456789");
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    ASSERT_EQ(files_.load_file(u"ten.txt", &bytes, &size), 0);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(std::memcmp(bytes, "0123456789\0\0", 12), 0);
    mem_free(bytes);
    EXPECT_EQ(load(u"absent.txt"), "<missing>");
    std::filesystem::create_directories(folder_.path() / "a_folder");
    EXPECT_EQ(load(u"a_folder"), "<missing>");
}

TEST_F(FileSystemTest, WholeFileReadsGiveTheBytesOrNothing) {
    folder_.write("ten.txt", "0123456789");
    const auto ten = files_.read_whole_file(u"TEN.TXT");
    ASSERT_TRUE(ten.has_value());
    EXPECT_EQ(as_text(*ten), "0123456789");
    EXPECT_FALSE(files_.read_whole_file(u"absent.txt").has_value());
    // The game's reads go through the running file system, when there is one.
    FileSystem* running = g_file_system;
    g_file_system = nullptr;
    EXPECT_FALSE(read_game_file(u"ten.txt").has_value());
    g_file_system = &files_;
    EXPECT_EQ(read_game_file(u"ten.txt"), ten);
    g_file_system = running;
}

TEST_F(FileSystemTest, NamesResolveInAnyCaseWithEitherSeparator) {
    folder_.write("story/story.txt", "plot");
    folder_.write("Fonts/Big.FNT", "font");
    EXPECT_EQ(load(u"Story\\Story.TXT"), "plot");
    EXPECT_EQ(load(u"story/story.txt"), "plot");
    EXPECT_EQ(load(u"fonts\\big.fnt"), "font");
    EXPECT_EQ(load(u"FONTS/BIG.fnt"), "font");
    EXPECT_EQ(load(u"fonts/big.fnt.bak"), "<missing>");
}

TEST_F(FileSystemTest, ExactMatchWinsOverCaseVariants) {
    folder_.write("data/Name.txt", "upper");
    folder_.write("data/name.txt", "lower");
    EXPECT_EQ(load(u"data/Name.txt"), "upper");
    EXPECT_EQ(load(u"data/name.txt"), "lower");
    EXPECT_EQ(load(u"data/NAME.txt"), "upper");  // the first in name order
}

TEST_F(FileSystemTest, FilesAddedAfterAFolderWasListedAreFound) {
    folder_.write("maps/one.txt", "1");
    EXPECT_EQ(load(u"MAPS/ONE.TXT"), "1");
    folder_.write("maps/two.txt", "2");
    EXPECT_EQ(load(u"MAPS/TWO.TXT"), "2");
    std::filesystem::remove(folder_.path() / "maps/one.txt");
    EXPECT_EQ(load(u"MAPS/ONE.TXT"), "<missing>");
}

TEST_F(FileSystemTest, LooseFilesComeFirstAndEmptyOnesFallBack) {
    files_.add_source(new MemorySource(u"font.fnt", "packed"));
    files_.add_source(new MemorySource(u"empty.txt", "packed empty"));
    folder_.write("font.fnt", "loose");
    folder_.write("empty.txt", "");
    EXPECT_EQ(load(u"font.fnt"), "loose");
    EXPECT_EQ(load(u"empty.txt"), "packed empty");

    FileHandle* handle = files_.open(u"empty.txt");
    ASSERT_NE(handle, nullptr);  // an empty loose file still opens
    EXPECT_EQ(handle->source, 0);
    files_.close(handle);
    handle = files_.open(u"font.fnt");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->source, 0);
    files_.close(handle);
    std::filesystem::remove(folder_.path() / "font.fnt");
    handle = files_.open(u"font.fnt");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->source, 2);  // behind the loose files and the (absent) archive
    EXPECT_EQ(handle->name, u"font.fnt");
    files_.close(handle);
}

TEST_F(FileSystemTest, SaveReplacesTheFileAndRefusesUnknownSources) {
    const uint8_t first[] = "first";
    EXPECT_EQ(files_.save_file(u"save.dat", first, 5), 0);
    EXPECT_EQ(folder_.read("save.dat"), "first");
    EXPECT_EQ(files_.save_file(u"save.dat", first, 3), 0);
    EXPECT_EQ(folder_.read("save.dat"), "fir");

    EXPECT_EQ(files_.save_file(u"other.dat", first, 5, 2), 2);
    EXPECT_EQ(files_.save_file(u"other.dat", first, 5, -1), 2);
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "other.dat"));
    // No folder is created on the way.
    EXPECT_EQ(files_.save_file(u"savegame\\save1.dat", first, 5), 2);
}

TEST_F(FileSystemTest, SaveOverwritesAnExistingCaseVariant) {
    folder_.write("SaveGame/IO.ini", "old");
    const uint8_t text[] = "new";
    EXPECT_EQ(files_.save_file(u"savegame\\io.ini", text, 3), 0);
    EXPECT_EQ(folder_.read("SaveGame/IO.ini"), "new");
    int entries = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder_.path() / "SaveGame"))
        ++entries;
    EXPECT_EQ(entries, 1);
}

AtomicWriteStep g_failing_step;
bool fail_chosen_step(AtomicWriteStep step) { return step == g_failing_step; }

// errno then tells why, as a failing disk would: an injected fault reads as
// an input/output error.
TEST_F(FileSystemTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    folder_.write("save1.dat", "old contents");
    const uint8_t text[] = "new contents";
    for (AtomicWriteStep step : {AtomicWriteStep::create, AtomicWriteStep::write,
                                 AtomicWriteStep::sync, AtomicWriteStep::close,
                                 AtomicWriteStep::rename}) {
        g_failing_step = step;
        set_atomic_write_fault(fail_chosen_step);
        errno = 0;
        EXPECT_EQ(files_.save_file(u"save1.dat", text, 12), 2) << int(step);
        EXPECT_EQ(errno, EIO) << int(step);
        set_atomic_write_fault(nullptr);
        EXPECT_EQ(folder_.read("save1.dat"), "old contents") << int(step);
        int entries = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder_.path()))
            ++entries;
        EXPECT_EQ(entries, 1) << int(step);
    }
}

TEST_F(FileSystemTest, AFileThatCannotBeMadeLeavesTheReasonInErrno) {
    folder_.write("blocked", "a file where a folder should be");
    const uint8_t text[] = "new";
    errno = 0;
    EXPECT_FALSE(write_file_atomically((folder_.path() / "blocked" / "save1.dat").string(), text, 3));
    EXPECT_EQ(errno, ENOTDIR);
}

TEST_F(FileSystemTest, ReadNeverPassesTheEnd) {
    folder_.write("five.bin", "abcde");
    FileHandle* handle = files_.open(u"FIVE.BIN");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 5);
    char buffer[16] = {};
    EXPECT_EQ(files_.read(handle, buffer, 3), 3);
    EXPECT_EQ(files_.read(handle, buffer + 3, 10), 2);
    EXPECT_EQ(files_.read(handle, buffer + 5, 10), 0);
    EXPECT_STREQ(buffer, "abcde");
    files_.close(handle);
    EXPECT_EQ(files_.open(u"none.bin"), nullptr);
}

class FileReaderTest : public FileSystemTest {
protected:
    // A file whose byte i is i & 0xFF.
    FileHandle* counting_file(size_t size) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = char(i & 0xFF);
        folder_.write("counting.bin", bytes);
        return files_.open(u"counting.bin");
    }
};

TEST_F(FileReaderTest, WindowReaderMovesTheTailForwardBeforeAStraddlingValue) {
    FileHandle* handle = counting_file(4096);
    {
        WindowReader reader(handle, 2048);
        uint8_t skipped[2046];
        reader.read_bytes(skipped, 2046);
        EXPECT_EQ(skipped[2045], uint8_t(2045 & 0xFF));
        EXPECT_EQ(reader.window_position(), 2046);
        // Bytes 2046..2049 = FE FF 00 01.
        EXPECT_EQ(reader.read_u32(), 0x0100FFFEu);
        EXPECT_EQ(reader.window_position(), 4);  // the window was moved
        EXPECT_EQ(reader.read_u16(), 0x0302);
        EXPECT_FALSE(reader.past_end());
    }
    files_.close(handle);
}

TEST_F(FileReaderTest, ReadBytesLongerThanTheWindow) {
    FileHandle* handle = counting_file(5000);
    {
        WindowReader reader(handle, 2048);
        EXPECT_EQ(reader.read_u8(), 0);
        std::string block(4500, '\0');
        reader.read_bytes(block.data(), 4500);
        for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(uint8_t(block[i]), uint8_t((i + 1) & 0xFF));
        EXPECT_EQ(reader.read_u8(), uint8_t(4501 & 0xFF));
        EXPECT_FALSE(reader.past_end());
    }
    files_.close(handle);
}

TEST_F(FileReaderTest, TruncatedFilesReadAsZerosAndSetTheFlag) {
    folder_.write("short.bin", std::string("\x11\x22\x33", 3));
    FileHandle* handle = files_.open(u"short.bin");
    ASSERT_NE(handle, nullptr);
    {
        WindowReader reader(handle, 2048);
        EXPECT_EQ(reader.read_u16(), 0x2211);
        EXPECT_FALSE(reader.past_end());
        EXPECT_EQ(reader.read_u32(), 0x33u);
        EXPECT_TRUE(reader.past_end());
        char rest[3000];
        std::memset(rest, 0x55, sizeof rest);
        reader.read_bytes(rest, sizeof rest);
        EXPECT_EQ(rest[0], 0);
        EXPECT_EQ(rest[2999], 0);
    }
    files_.close(handle);
}

TEST_F(FileReaderTest, ByteReaderTakesStraddlingBytesFromTheNextFill) {
    FileHandle* handle = counting_file(10);
    {
        ByteReader reader(handle, 4);
        EXPECT_EQ(reader.read_u8(), 0);
        EXPECT_EQ(reader.read_u32(), 0x04030201u);  // crosses the first refill
        EXPECT_EQ(reader.read_u32(), 0x08070605u);
        EXPECT_FALSE(reader.past_end());
        EXPECT_EQ(reader.read_u16(), 0x0009);  // one byte short
        EXPECT_TRUE(reader.past_end());
    }
    files_.close(handle);
}

TEST(ProgramPaths, ResolvePathCases) {
    set_program_folder(u"/games/quest");
    set_state_folder(u"/var/state/");
    EXPECT_EQ(program_folder(), u"/games/quest/");
    EXPECT_EQ(resolve_path(u"/abs/file.txt"), u"/abs/file.txt");
    EXPECT_EQ(resolve_path(u"\\crash.txt"), u"/var/state/crash.txt");
    EXPECT_EQ(resolve_path(u"settings.ini"), u"/games/quest/settings.ini");
    EXPECT_EQ(resolve_path(u"Story\\story.txt"), u"/games/quest/Story/story.txt");
    EXPECT_EQ(resolve_path(u"save1.dat", u"savegame"), u"/games/quest/savegame/save1.dat");
    std::u16string long_name(3000, u'n');
    EXPECT_EQ(resolve_path(long_name).size(), 13 + 3000u);
    set_state_folder(u"");
    EXPECT_EQ(state_folder(), u"/games/quest/");
}

}  // namespace

namespace {

TEST(DemoData, NamesInAnotherCaseAndSeparatorLoadFromTheDemoFolder) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    FileSystem files;
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    ASSERT_EQ(files.load_file(u"samples\\KEYFILE.ini", &bytes, &size), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 10), "; Every ki");
    mem_free(bytes);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "savegame"));
}

TEST(DemoData, LooseFilesShadowArchiveMembersUnlessEmpty) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    FileSystem files;
    for (auto [name, expected_source] : {std::pair{u"Shadowed.TXT", 0}, {u"shadowed_empty.txt", 1}}) {
        uint8_t* bytes = nullptr;
        int32_t size = 0;
        ASSERT_EQ(files.load_file(name, &bytes, &size), 0);
        std::string text(reinterpret_cast<char*>(bytes), size_t(size));
        mem_free(bytes);
        if (expected_source == 0)
            EXPECT_EQ(text, "loose copy\n");
        else
            EXPECT_FALSE(text.empty());  // the member behind the empty loose file
    }
}

}  // namespace

namespace {

TEST_F(FileSystemTest, FilesTooLargeForTheSizeFieldAreRefused) {
    // A sparse file: no disk space is used.
    folder_.write("huge.bin", "");
    std::error_code error;
    std::filesystem::resize_file(folder_.path() / "huge.bin", uint64_t(INT32_MAX) - 1, error);
    if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
    EXPECT_EQ(load(u"huge.bin"), "<missing>");
    EXPECT_EQ(files_.open(u"huge.bin"), nullptr);
}

}  // namespace
