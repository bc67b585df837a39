#include "engine/files/zip_archive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>

#include "tests/engine/files/zip_test_support.h"
#include "tools/zippack/zip_writer.h"

namespace {

using namespace zip_test;

struct CloseArchive {
    void operator()(ZipArchive* a) const { ZipArchive::close(a); }
};
using ArchivePtr = std::unique_ptr<ZipArchive, CloseArchive>;

class ZipArchiveTest : public ::testing::Test {
protected:
    ZipArchiveTest() : dir_("zip-archive") {}

    ArchivePtr open_bytes(const std::vector<uint8_t>& bytes) {
        fs::path path = dir_ / ("archive" + std::to_string(count_++) + ".zip");
        write_file(path, bytes);
        return ArchivePtr(ZipArchive::open(path.c_str()));
    }
    ArchivePtr open_image(const ZipImage& image) { return open_bytes(image.bytes); }

    // The member called `name`, or empty with `result` set to the failure.
    static std::vector<uint8_t> load(ZipArchive& archive, const char* name, int& result) {
        result = archive.locate(name);
        if (result != kZipOk) return {};
        return read_member(archive, result);
    }

    ScratchFolder dir_;
    int count_ = 0;
};

ZipMember member(const std::string& name, std::vector<uint8_t> data,
                 ZipMember::Method method = ZipMember::Method::kBest) {
    ZipMember m(name, std::move(data));
    m.method = method;
    return m;
}

TEST_F(ZipArchiveTest, StoredAndDeflatedMembersComeBackWhole) {
    auto noise = pseudo_random_bytes(10000, 1);
    std::vector<uint8_t> repetitive;
    for (int i = 0; i < 20000; ++i) repetitive.push_back(uint8_t("abcab\n"[i % 6] + (i / 999) % 3));
    auto image = zip_write({member("Archive/Noise.bin", noise),
                            member("Text/Repeats.txt", repetitive),
                            member("empty.txt", {}),
                            member("deflated/noise.bin", noise, ZipMember::Method::kDeflated)});
    auto archive = open_image(image);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->entry_count(), 4u);

    int result;
    EXPECT_EQ(load(*archive, "Archive/Noise.bin", result), noise);
    EXPECT_EQ(result, kZipOk);
    EXPECT_EQ(archive->entry_info().method, 0);
    EXPECT_EQ(load(*archive, "Text/Repeats.txt", result), repetitive);
    EXPECT_EQ(result, kZipOk);
    EXPECT_EQ(archive->entry_info().method, 8);
    EXPECT_TRUE(load(*archive, "empty.txt", result).empty());
    EXPECT_EQ(result, kZipOk);
    EXPECT_EQ(load(*archive, "deflated/noise.bin", result), noise);
    EXPECT_EQ(result, kZipOk);
}

TEST_F(ZipArchiveTest, StoredMemberIsReadInTwoBlocks) {
    auto noise = pseudo_random_bytes(10000, 2);
    auto archive = open_image(zip_write({member("n.bin", noise, ZipMember::Method::kStored)}));
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->locate("n.bin"), kZipOk);
    ASSERT_EQ(archive->open_entry(), kZipOk);
    std::vector<uint8_t> out(20000);
    EXPECT_EQ(archive->read_entry(out.data(), 20000), 10000);
    EXPECT_EQ(archive->data_block_reads(), 2u);  // 8,192 + 1,808
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), out.begin()));
    EXPECT_EQ(archive->read_entry(out.data(), 20000), 0);
    EXPECT_EQ(archive->close_entry(), kZipOk);
    EXPECT_EQ(archive->close_entry(), kZipBadParameter);
    EXPECT_EQ(archive->read_entry(out.data(), 1), kZipBadParameter);
}

TEST_F(ZipArchiveTest, LookupIgnoresCaseAndSeparator) {
    std::string long_name(251, 'x');
    long_name += ".txt";  // 255 characters
    auto archive = open_image(zip_write({member("fonts/Small.FNT", text_bytes("small")),
                                         member("FONTS/small.fnt", text_bytes("second")),
                                         member("menu\\Main.def", text_bytes("menu")),
                                         member("ab", text_bytes("short")),
                                         member("a@b", text_bytes("at")),
                                         member(long_name, text_bytes("long"))}));
    ASSERT_TRUE(archive);
    int result;
    // The first of two names equal but for case wins.
    EXPECT_EQ(load(*archive, "FONTS\\SMALL.fnt", result), text_bytes("small"));
    EXPECT_EQ(load(*archive, "fonts/small.fnt", result), text_bytes("small"));
    // A stored backslash is found with either separator.
    EXPECT_EQ(load(*archive, "MENU/main.DEF", result), text_bytes("menu"));
    EXPECT_EQ(archive->entry_name(), "menu/Main.def");
    EXPECT_EQ(load(*archive, "AB", result), text_bytes("short"));
    EXPECT_EQ(load(*archive, long_name.c_str(), result), text_bytes("long"));

    EXPECT_EQ(archive->locate((long_name + "x").c_str()), kZipBadParameter);
    EXPECT_EQ(archive->locate(nullptr), kZipBadParameter);
    EXPECT_EQ(archive->locate("fonts/small.fn"), kZipEndOfList);
    EXPECT_EQ(archive->locate("fonts/small.fntx"), kZipEndOfList);
    // Only ASCII letters fold: '@' and '`' differ just in bit 5 too.
    EXPECT_EQ(load(*archive, "A@B", result), text_bytes("at"));
    EXPECT_EQ(archive->locate("a`b"), kZipEndOfList);
}

TEST_F(ZipArchiveTest, LongCommentsAndSignaturesInsideThem) {
    std::vector<ZipMember> members = {member("a.txt", text_bytes("alpha"))};
    int result;

    std::string comment(65000, 'c');
    auto commented = open_image(zip_write(members, comment));
    ASSERT_TRUE(commented);
    EXPECT_EQ(load(*commented, "a.txt", result), text_bytes("alpha"));

    std::string maximal(65535, 'm');
    EXPECT_TRUE(open_image(zip_write(members, maximal)));

    // The comment carries what looks like an end record, near its end.
    std::string tricky = "note ";
    tricky += std::string("PK\x05\x06", 4) + std::string(18, '\0') + "tail";
    auto tricked = open_image(zip_write(members, tricky));
    ASSERT_TRUE(tricked);
    EXPECT_EQ(load(*tricked, "a.txt", result), text_bytes("alpha"));
}

TEST_F(ZipArchiveTest, BytesBeforeTheArchiveShiftEveryOffset) {
    std::vector<uint8_t> stub(777, 0x90);
    auto noise = pseudo_random_bytes(9000, 3);
    auto archive = open_image(zip_write({member("one.bin", noise), member("two.txt", text_bytes("two two two two"))},
                                        "", stub));
    ASSERT_TRUE(archive);
    int result;
    EXPECT_EQ(load(*archive, "one.bin", result), noise);
    EXPECT_EQ(load(*archive, "two.txt", result), text_bytes("two two two two"));
}

TEST_F(ZipArchiveTest, DataStartAfterTheLocalHeadersOwnExtraField) {
    ZipMember longer = member("longer.txt", text_bytes("local extra longer"));
    longer.local_extra = std::vector<uint8_t>(28, 0xEE);
    longer.central_extra = {0x55, 0x54, 1, 0, 9};
    ZipMember shorter = member("shorter.txt", text_bytes("central extra longer"),
                               ZipMember::Method::kDeflated);
    shorter.central_extra = std::vector<uint8_t>(40, 0xAA);
    auto archive = open_image(zip_write({longer, shorter}));
    ASSERT_TRUE(archive);
    int result;
    EXPECT_EQ(load(*archive, "longer.txt", result), text_bytes("local extra longer"));
    EXPECT_EQ(result, kZipOk);
    EXPECT_EQ(load(*archive, "shorter.txt", result), text_bytes("central extra longer"));
    EXPECT_EQ(result, kZipOk);
}

TEST_F(ZipArchiveTest, EntriesIterateWithTheirRecords) {
    ZipMember dated = member("dated.txt", text_bytes("when"));
    // 2019-07-14 13:45:58 in DOS form.
    dated.dos_date_time = (uint32_t((2019 - 1980) << 9 | 7 << 5 | 14) << 16) | (13 << 11 | 45 << 5 | 29);
    auto archive = open_image(zip_write({member("first", text_bytes("1")), dated}));
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->entry_name(), "first");  // opening selects the first entry
    ASSERT_EQ(archive->go_to_entry(1), kZipOk);
    const ZipEntryInfo& info = archive->entry_info();
    EXPECT_EQ(archive->entry_name(), "dated.txt");
    EXPECT_EQ(info.uncompressed_size, 4u);
    EXPECT_EQ(info.crc, uint32_t(crc32(0, reinterpret_cast<const Bytef*>("when"), 4)));
    EXPECT_EQ(info.date.year, 2019);
    EXPECT_EQ(info.date.month, 6);
    EXPECT_EQ(info.date.day, 14);
    EXPECT_EQ(info.date.hours, 13);
    EXPECT_EQ(info.date.minutes, 45);
    EXPECT_EQ(info.date.seconds, 58);
    EXPECT_EQ(archive->go_to_entry(2), kZipEndOfList);
    EXPECT_EQ(archive->open_entry(), kZipBadParameter);  // nothing selected
    EXPECT_EQ(archive->first_entry(), kZipOk);
    EXPECT_EQ(archive->entry_name(), "first");
}

TEST_F(ZipArchiveTest, OpeningAnotherMemberEndsTheFirst) {
    auto a = pseudo_random_bytes(30000, 4);
    auto b = text_bytes(std::string(20000, 'b'));
    auto archive = open_image(zip_write({member("a", a, ZipMember::Method::kDeflated), member("b", b)}));
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->locate("a"), kZipOk);
    ASSERT_EQ(archive->open_entry(), kZipOk);
    std::vector<uint8_t> part(100);
    ASSERT_EQ(archive->read_entry(part.data(), 100), 100);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), a.begin()));
    int result;
    ASSERT_EQ(archive->locate("b"), kZipOk);
    EXPECT_EQ(read_member(*archive, result, 333), b);
    EXPECT_EQ(result, kZipOk);
    // Closing the archive with a member open frees it too (checked by ASan).
    ASSERT_EQ(archive->locate("a"), kZipOk);
    ASSERT_EQ(archive->open_entry(), kZipOk);
    EXPECT_EQ(ZipArchive::close(archive.release()), kZipOk);
    EXPECT_EQ(ZipArchive::close(nullptr), kZipBadParameter);
}

TEST_F(ZipArchiveTest, NotAnArchive) {
    EXPECT_FALSE(ZipArchive::open((dir_ / "missing.zip").c_str()));
    EXPECT_FALSE(ZipArchive::open(nullptr));
    EXPECT_FALSE(open_bytes({}));
    EXPECT_FALSE(open_bytes(text_bytes("PK\x05\x06 but far too short")));
    EXPECT_FALSE(open_bytes(pseudo_random_bytes(100000, 5)));
    auto empty = open_image(zip_write({}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->entry_count(), 0u);
    EXPECT_EQ(empty->locate("x"), kZipEndOfList);
}

// Damage applied to the bytes of a well-formed archive of three members.
class ZipDamageTest : public ZipArchiveTest {
protected:
    ZipDamageTest()
        : noise_(pseudo_random_bytes(20000, 6)),
          image_(zip_write({member("stored.bin", noise_, ZipMember::Method::kStored),
                            member("deflated.txt", text_bytes(std::string(50000, 'z') + "end"),
                                   ZipMember::Method::kDeflated),
                            member("last.txt", text_bytes("last"))})) {}

    std::vector<uint8_t>& bytes() { return image_.bytes; }
    size_t central(int i) const { return image_.central_headers[size_t(i)]; }
    size_t local(int i) const { return image_.local_headers[size_t(i)]; }
    size_t end_record() const { return image_.end_record; }

    // Opens the damaged archive and reads `name`; the result code.
    int read_code(const char* name) {
        auto archive = open_bytes(bytes());
        if (!archive) return 1;  // not opened at all
        int result;
        load(*archive, name, result);
        return result;
    }

    std::vector<uint8_t> noise_;
    ZipImage image_;
};

TEST_F(ZipDamageTest, BrokenDirectoriesAreNotOpened) {
    auto original = bytes();
    EXPECT_EQ(read_code("last.txt"), kZipOk);

    // Truncated in the middle of the central directory.
    bytes().resize(central(1) + 10);
    EXPECT_FALSE(open_bytes(bytes()));

    // More entries than headers; an entry count walking past the copy.
    bytes() = original;
    write_u16le(&bytes()[end_record() + 8], 4);
    write_u16le(&bytes()[end_record() + 10], 4);
    EXPECT_FALSE(open_bytes(bytes()));

    // A name length reaching past the directory.
    bytes() = original;
    write_u16le(&bytes()[central(2) + 28], 60000);
    EXPECT_FALSE(open_bytes(bytes()));

    // A comment length of a middle entry breaking the walk.
    bytes() = original;
    write_u16le(&bytes()[central(1) + 32], 3);
    EXPECT_FALSE(open_bytes(bytes()));

    // A directory offset that lies past the end record.
    bytes() = original;
    write_u32le(&bytes()[end_record() + 16], uint32_t(end_record() + 100));
    EXPECT_FALSE(open_bytes(bytes()));

    // Several disks; disagreeing counts.
    bytes() = original;
    write_u16le(&bytes()[end_record() + 4], 1);
    EXPECT_FALSE(open_bytes(bytes()));
    bytes() = original;
    write_u16le(&bytes()[end_record() + 8], 2);
    EXPECT_FALSE(open_bytes(bytes()));
}

TEST_F(ZipDamageTest, MembersWeCannotDecodeAreRefused) {
    auto original = bytes();
    write_u16le(&bytes()[central(1) + 10], 12);  // bzip2
    EXPECT_EQ(read_code("deflated.txt"), kZipBadArchive);

    bytes() = original;
    write_u16le(&bytes()[central(0) + 8], 1);  // encrypted
    EXPECT_EQ(read_code("stored.bin"), kZipBadArchive);

    for (uint32_t size : {0x7FFFFFFEu, 0x80000000u, 0xFFFFFFFFu}) {
        bytes() = original;
        write_u32le(&bytes()[central(0) + 24], size);
        EXPECT_EQ(read_code("stored.bin"), kZipBadArchive) << size;
    }

    // A local header offset that does not point at a local header.
    bytes() = original;
    write_u32le(&bytes()[central(2) + 42], uint32_t(local(2) + 1));
    EXPECT_EQ(read_code("last.txt"), kZipBadArchive);
    bytes() = original;
    write_u32le(&bytes()[central(2) + 42], 0xFFFFFF00u);
    EXPECT_EQ(read_code("last.txt"), kZipBadArchive);
}

TEST_F(ZipDamageTest, DamagedDataFailWithoutHanging) {
    auto original = bytes();
    // A stored member whose compressed size is below its size runs dry.
    write_u32le(&bytes()[central(0) + 20], 5000);
    EXPECT_EQ(read_code("stored.bin"), kZipReadError);

    // A stored member running past the end of the file.
    bytes() = original;
    write_u32le(&bytes()[central(2) + 20], 1000000);
    write_u32le(&bytes()[central(2) + 24], 1000000);
    EXPECT_EQ(read_code("last.txt"), kZipReadError);

    // Deflate data overwritten with garbage.
    bytes() = original;
    size_t data = local(1) + 30 + std::string("deflated.txt").size();
    for (size_t i = 0; i < 16; ++i) bytes()[data + i] = uint8_t(0xFF - i);
    int code = read_code("deflated.txt");
    EXPECT_LT(code, 0);
    EXPECT_NE(code, 1);

    // Deflate data cut short: the input ends before the stream does.
    bytes() = original;
    write_u32le(&bytes()[central(1) + 20], 10);
    EXPECT_EQ(read_code("deflated.txt"), Z_BUF_ERROR);

    // A stated size larger than the stream delivers.
    bytes() = original;
    write_u32le(&bytes()[central(1) + 24], 60000);
    EXPECT_LT(read_code("deflated.txt"), 0);

    // A wrong checksum, in a stored and in a deflated member.
    bytes() = original;
    bytes()[central(0) + 16] ^= 1;
    bytes()[central(1) + 16] ^= 1;
    EXPECT_EQ(read_code("stored.bin"), kZipChecksumError);
    EXPECT_EQ(read_code("deflated.txt"), kZipChecksumError);
}

}  // namespace
