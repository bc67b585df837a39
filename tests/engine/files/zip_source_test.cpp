// The archive behind the loose files: precedence, whole-file loads, member
// handles, damaged members, and the demo data run from the archive alone.
#include "engine/files/zip_source.h"

#include <gtest/gtest.h>

#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/files/local_text.h"
#include "engine/files/program_paths.h"
#include "tests/engine/files/zip_test_support.h"
#include "tools/zippack/zip_writer.h"

namespace {

using namespace zip_test;

std::string loaded(FileSource& source, std::u16string_view name, int* code = nullptr) {
    uint8_t* bytes = nullptr;
    int32_t size = -1;
    int result = source.load_file(name, &bytes, &size);
    if (code) *code = result;
    if (result != kFileOk) return "<" + std::to_string(result) + ">";
    EXPECT_EQ(bytes[size], 0);
    EXPECT_EQ(bytes[size + 1], 0);
    std::string text(reinterpret_cast<char*>(bytes), size_t(size));
    mem_free(bytes);
    return text;
}

class ZipSourceTest : public ::testing::Test {
protected:
    ZipSourceTest() : dir_("zip-source") {
        set_program_folder(utf8_to_utf16(dir_.path().string() + "/"));
    }
    ~ZipSourceTest() override { set_program_folder(u""); }

    void write_archive(const std::vector<ZipMember>& members) {
        write_file(dir_ / "data.zip", zip_write(members).bytes);
    }

    ScratchFolder dir_;
};

TEST_F(ZipSourceTest, LooseFilesComeFirstAndEmptyOnesFallThrough) {
    write_archive({ZipMember("fonts/Big.fnt", text_bytes("archived font")),
                   ZipMember("both.txt", text_bytes("archive copy")),
                   ZipMember("empty.txt", text_bytes("archive has content")),
                   ZipMember("hollow.ini", {})});
    write_file(dir_ / "both.txt", text_bytes("loose copy"));
    write_file(dir_ / "empty.txt", {});

    FileSystem files;
    ASSERT_EQ(files.source_count(), 2);
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    ASSERT_EQ(files.load_file(u"FONTS\\big.FNT", &bytes, &size), kFileOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size_t(size)), "archived font");
    mem_free(bytes);
    ASSERT_EQ(files.load_file(u"both.txt", &bytes, &size), kFileOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size_t(size)), "loose copy");
    mem_free(bytes);
    ASSERT_EQ(files.load_file(u"empty.txt", &bytes, &size), kFileOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size_t(size)), "archive has content");
    mem_free(bytes);
    EXPECT_EQ(files.load_file(u"nowhere.txt", &bytes, &size), kFileNotFound);
    // An empty member counts as missing, as an empty loose file does.
    EXPECT_EQ(files.load_file(u"hollow.ini", &bytes, &size), kFileNotFound);
    // Nothing is ever written into the archive, and the save says it failed.
    EXPECT_EQ(files.save_file(u"x.txt", bytes, 0, 1), kFileFailed);
    EXPECT_FALSE(fs::exists(dir_ / "x.txt"));
}

// An empty key file, loose or packed, reads as a missing one: its reader
// keeps its defaults (a required one is reported as missing) and nothing
// parses a buffer that is not there.
TEST_F(ZipSourceTest, AnEmptyKeyFileLooseOrPackedReadsAsMissing) {
    write_archive({ZipMember("packed_empty.ini", {}), ZipMember("both_empty.ini", {}),
                   ZipMember("shadowed.ini", text_bytes("[S]\nk = 7\n"))});
    write_file(dir_ / "loose_empty.ini", {});
    write_file(dir_ / "both_empty.ini", {});
    write_file(dir_ / "shadowed.ini", {});
    FileSystem files;
    g_file_system = &files;
    struct Row {
        const char16_t* name;
        int loaded;
        int value;  // of k in [S], 0 by default
    };
    for (const Row& row : {Row{u"loose_empty.ini", 0, 0}, Row{u"packed_empty.ini", 0, 0},
                           Row{u"both_empty.ini", 0, 0}, Row{u"shadowed.ini", 1, 7}}) {
        IniFile ini;
        EXPECT_EQ(ini.load(row.name), row.loaded) << utf16_to_utf8(row.name);
        EXPECT_EQ(ini.section_count(), row.loaded) << utf16_to_utf8(row.name);
        EXPECT_EQ(ini.get_int(0, "k", "S"), row.value) << utf16_to_utf8(row.name);
    }
    g_file_system = nullptr;
}

TEST_F(ZipSourceTest, CodesForMissingAndDamagedMembers) {
    ZipSource without;
    without.mount();
    EXPECT_FALSE(without.has_archive());
    EXPECT_EQ(loaded(without, u"a.txt"), "<1>");
    EXPECT_EQ(without.open(u"a.txt"), nullptr);

    ZipMember bad("bad.bin", pseudo_random_bytes(3000, 1));
    bad.method = ZipMember::Method::kDeflated;
    ZipImage image = zip_write({ZipMember("good.txt", text_bytes("good")), bad});
    image.bytes[image.central_headers[1] + 16] ^= 0xFF;  // wrong checksum
    write_file(dir_ / "data.zip", image.bytes);
    ZipSource source;
    source.mount();
    ASSERT_TRUE(source.has_archive());
    EXPECT_EQ(loaded(source, u"good.txt"), "good");
    EXPECT_EQ(loaded(source, u"bad.bin"), "<3>");
    EXPECT_EQ(loaded(source, u"missing"), "<1>");
    EXPECT_EQ(loaded(source, std::u16string(300, u'x')), "<1>");
    EXPECT_EQ(loaded(source, std::u16string(u"good.txt\0", 9)), "<1>");
    // A damaged member falls through to "not found" at the file system.
    FileSystem files;
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    EXPECT_EQ(files.load_file(u"bad.bin", &bytes, &size), kFileNotFound);
}

TEST_F(ZipSourceTest, HandlesReadTheirMemberOnly) {
    auto long_member = pseudo_random_bytes(20000, 2);
    write_archive({ZipMember("long.bin", long_member), ZipMember("short.txt", text_bytes("short"))});
    FileSystem files;
    FileHandle* handle = files.open(u"long.bin");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->source, 1);
    EXPECT_EQ(handle->size, 20000);
    std::vector<uint8_t> buffer(30000);
    EXPECT_EQ(files.read(handle, buffer.data(), 1000), 1000);
    EXPECT_EQ(files.read(handle, buffer.data() + 1000, 30000), 19000);
    EXPECT_TRUE(std::equal(long_member.begin(), long_member.end(), buffer.begin()));
    EXPECT_EQ(files.read(handle, buffer.data(), 10), 0);
    files.close(handle);

    // Opening another member ends the first: its handle reads nothing more
    // instead of the other member's bytes.
    FileHandle* first = files.open(u"long.bin");
    ASSERT_EQ(files.read(first, buffer.data(), 10), 10);
    FileHandle* second = files.open(u"short.txt");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(files.read(first, buffer.data(), 10), 0);
    EXPECT_EQ(files.read(second, buffer.data(), 100), 5);
    files.close(first);  // must not end the second's member
    files.close(second);
}

TEST(DemoData, RunsFromTheArchiveAlone) {
    ScratchFolder dir("zip-demo");
    fs::copy_file(fs::path(NIMBREL_DEMO_DATA_DIR) / "data.zip", dir / "data.zip");
    set_program_folder(utf8_to_utf16(dir.path().string() + "/"));
    g_file_system = new FileSystem;
    LocalText text;
    delete g_file_system;
    g_file_system = nullptr;
    set_program_folder(u"");
    ASSERT_GE(text.count(), 3);
    EXPECT_EQ(text.entries()[1].id, 2);
    EXPECT_EQ(text.entries()[1].text, u"Loading...\nPlease wait");
}

}  // namespace
