#include "game/story/archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}

Archive reader(std::vector<uint8_t> data) {
    Archive ar;
    EXPECT_TRUE(ar.open_bytes(std::move(data)));
    return ar;
}

TEST(ArchiveWrite, FieldsAreLittleEndianWithoutPadding) {
    Archive ar;
    ar.open_write_memory();
    ar.write_begin("MS_TEST", 7);
    ar.write_u8("a", 0x1FF);
    ar.write_u16("b", 70000);  // keeps the low 16 bits: 4464
    ar.write_u32("c", 0x12345678);
    ar.write_count("n", 3);
    ar.write_end("MS_TEST");
    EXPECT_EQ(ar.written(), bytes({0x23, 7, 0xFF, 0x70, 0x11, 0x78, 0x56, 0x34, 0x12, 3, 0}));
    EXPECT_TRUE(ar.close());
}

TEST(ArchiveWrite, NullAndEmptyStringsDiffer) {
    Archive ar;
    ar.open_write_memory();
    ar.write_string("null", nullptr);
    ar.write_string("empty", "");
    ar.write_string("text", std::string("Hi"));
    EXPECT_EQ(ar.written(), bytes({0x23, 0, 0, 1, 0, 0, 3, 0, 'H', 'i', 0}));

    Archive in = reader(ar.written());
    EXPECT_EQ(in.read_string("null"), std::nullopt);
    EXPECT_EQ(in.read_string("empty"), std::optional<std::string>(""));
    EXPECT_EQ(in.read_string("text"), std::optional<std::string>("Hi"));
    EXPECT_TRUE(in.at_end());
    EXPECT_FALSE(in.failed());
}

TEST(ArchiveWrite, RefusesWhatTheCountsCannotHold) {
    Archive ar;
    ar.open_write_memory();
    ar.write_string("fits", std::string(65533, 'x'));
    EXPECT_FALSE(ar.failed());
    ar.write_string("long", std::string(65534, 'x'));  // 65535 bytes with the NUL fits too
    EXPECT_FALSE(ar.failed());
    ar.write_string("too long", std::string(65535, 'x'));
    EXPECT_TRUE(ar.failed());
    EXPECT_FALSE(ar.close());

    Archive list;
    list.open_write_memory();
    list.write_count("n", 65535);
    EXPECT_FALSE(list.failed());
    list.write_count("n", 65536);
    EXPECT_TRUE(list.failed());
}

TEST(ArchiveWrite, EmptyFileIsTheMarkAlone) {
    const std::string path = std::string(NIMBREL_BINARY_DIR) + "/archive_test_empty.bin";
    Archive ar;
    ar.open_write(path);
    ASSERT_TRUE(ar.close());
    Archive in;
    ASSERT_TRUE(in.open_read(path));
    EXPECT_TRUE(in.at_end());
    std::remove(path.c_str());
}

TEST(ArchiveWrite, FailedArchiveLeavesTheOldFile) {
    const std::string path = std::string(NIMBREL_BINARY_DIR) + "/archive_test_keep.bin";
    Archive good;
    good.open_write(path);
    good.write_u32("v", 42);
    ASSERT_TRUE(good.close());

    Archive bad;
    bad.open_write(path);
    bad.write_count("n", 100000);
    EXPECT_FALSE(bad.close());

    Archive in;
    ASSERT_TRUE(in.open_read(path));
    EXPECT_EQ(in.read_u32("v"), 42u);
    std::remove(path.c_str());
}

TEST(ArchiveRead, RefusesFilesWithoutTheMark) {
    Archive ar;
    EXPECT_FALSE(ar.open_bytes(bytes({0x24, 1, 2})));
    EXPECT_FALSE(ar.open_bytes({}));
    EXPECT_FALSE(ar.open_read(std::string(NIMBREL_BINARY_DIR) + "/no such file.rpg"));
}

TEST(ArchiveRead, BlobsRoundTripAndEmptyBlobIsEmpty) {
    Archive ar;
    ar.open_write_memory();
    ar.write_blob("empty", {});
    ar.write_blob("data", {1, 2, 3});
    Archive in = reader(ar.written());
    EXPECT_TRUE(in.read_blob("empty").empty());
    EXPECT_EQ(in.read_blob("data"), bytes({1, 2, 3}));
    EXPECT_EQ(in.read_begin("past"), 0);
    EXPECT_TRUE(in.failed());
}

TEST(ArchiveRead, PastTheEndIsStickyAndYieldsZeros) {
    Archive in = reader(bytes({0x23, 0x34, 0x12, 0x99}));
    EXPECT_EQ(in.read_u16("a"), 0x1234);
    EXPECT_EQ(in.read_u16("b"), 0);  // only one byte left
    EXPECT_TRUE(in.failed());
    EXPECT_NE(in.error().find("\"b\""), std::string::npos);
    // The byte that was left is not handed out after the failure.
    EXPECT_EQ(in.read_u8("c"), 0);
    EXPECT_EQ(in.read_string("d"), std::nullopt);
}

TEST(ArchiveRead, CountsAndLengthsAreBoundedByTheBytesLeft) {
    // A count of 1000 entries with two bytes left.
    Archive count = reader(bytes({0x23, 0xE8, 0x03, 0, 0}));
    EXPECT_EQ(count.read_count("n"), 0);
    EXPECT_TRUE(count.failed());

    // A count that fits one byte per entry but not four.
    Archive wide = reader(bytes({0x23, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(wide.read_count("n", 4), 0);
    EXPECT_TRUE(wide.failed());

    // A blob claiming 4 GB.
    Archive blob = reader(bytes({0x23, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2}));
    EXPECT_TRUE(blob.read_blob("b").empty());
    EXPECT_TRUE(blob.failed());

    Archive records = reader(bytes({0x23, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(records.read_record_count("n"), 0u);
    EXPECT_TRUE(records.failed());
}

TEST(ArchiveRead, StringsMustEndInTheirNul) {
    Archive in = reader(bytes({0x23, 2, 0, 'a', 'b'}));
    EXPECT_EQ(in.read_string("s"), std::nullopt);
    EXPECT_TRUE(in.failed());
    EXPECT_NE(in.error().find("NUL"), std::string::npos);
}

TEST(ArchiveRead, SkippedStringsMayBeLong) {
    Archive ar;
    ar.open_write_memory();
    ar.write_temp_string(std::string(5000, 'z'));
    ar.write_u8("after", 9);
    Archive in = reader(ar.written());
    in.read_temp_string("skip");
    EXPECT_EQ(in.read_u8("after"), 9);
    EXPECT_FALSE(in.failed());
}

// A record that lists its fields once, as every stored record does.
struct TwoWayRecord {
    int32_t small = 0;
    int32_t signed_byte = 0;
    int32_t signed_half = 0;
    uint32_t half = 0;
    int32_t whole = 0;
    std::string text;
    std::string defaulted;
    std::vector<uint16_t> list;
    uint32_t record_total = 0;  // a numbered file's u32 count
    void serialize(Archive& ar) { fields(*this, ar); }
    void read(Archive& ar) { serialize(ar); }
    void write(Archive& ar) const { fields(*this, ar); }

    template <class Self> static void fields(Self& self, Archive& ar) {
        ar.begin("TWOWAY", 3);
        ar.u8("small", self.small);
        ar.i8("signed_byte", self.signed_byte);
        ar.i16("signed_half", self.signed_half);
        ar.u16("half", self.half);
        ar.u32("whole", self.whole);
        const uint32_t total = ar.record_count("records", self.record_total, 1);
        if constexpr (!std::is_const_v<Self>) self.record_total = total;
        ar.text("text", self.text);
        ar.unkept_text("comment", "dropped");
        ar.text("defaulted", self.defaulted, "<none>");
        ar.values<uint16_t>("list", self.list);
        ar.end("TWOWAY");
    }
};

TEST(ArchiveFieldList, WritesTheSameBytesAsTheOneWayCallsAndReadsThemBack) {
    TwoWayRecord written{200, -3, -1234, 65000, -7, "abc", "kept", {1, 0xFFFF}};
    written.record_total = 5;
    Archive two_way;
    two_way.open_write_memory();
    std::as_const(written).write(two_way);

    Archive one_way;
    one_way.open_write_memory();
    one_way.write_begin("TWOWAY", 3);
    one_way.write_u8("small", 200);
    one_way.write_u8("signed_byte", uint32_t(-3));
    one_way.write_u16("signed_half", uint32_t(-1234));
    one_way.write_u16("half", 65000);
    one_way.write_u32("whole", uint32_t(-7));
    one_way.write_u32("records", 5);
    one_way.write_string("text", "abc");
    one_way.write_string("comment", "dropped");
    one_way.write_string("defaulted", "kept");
    one_way.write_count("list", 2);
    one_way.write_u16("list", 1);
    one_way.write_u16("list", 0xFFFF);
    EXPECT_EQ(two_way.written(), one_way.written());

    Archive in = reader(two_way.written());
    TwoWayRecord read;
    read.serialize(in);
    ASSERT_FALSE(in.failed()) << in.error();
    EXPECT_TRUE(in.at_end());
    EXPECT_EQ(read.small, 200);
    EXPECT_EQ(read.signed_byte, -3);
    EXPECT_EQ(read.signed_half, -1234);
    EXPECT_EQ(read.half, 65000u);
    EXPECT_EQ(read.whole, -7);
    EXPECT_EQ(read.record_total, 5u);
    EXPECT_EQ(read.text, "abc");
    EXPECT_EQ(read.defaulted, "kept");
    EXPECT_EQ(read.list, (std::vector<uint16_t>{1, 0xFFFF}));
}

TEST(ArchiveFieldList, ANullTextReadsAsItsDefault) {
    Archive out;
    out.open_write_memory();
    out.write_string("text", nullptr);
    Archive in = reader(out.written());
    std::string text = "old";
    in.text("text", text, "<none>");
    EXPECT_EQ(text, "<none>");
}

// A record with the fields that hold other records, and a byte block.
struct HolderRecord {
    TwoWayRecord inner;
    std::vector<TwoWayRecord> rows;
    std::vector<std::unique_ptr<TwoWayRecord>> owned;
    std::vector<uint8_t> bytes;
    std::vector<const TwoWayRecord*> adopted;  // the owned records reading tied to this holder

    void serialize(Archive& ar) { fields(*this, ar); }
    void write(Archive& ar) const { fields(*this, ar); }

    template <class Self> static void fields(Self& self, Archive& ar) {
        ar.begin("HOLDER", 1);
        ar.record(self.inner);
        ar.records("rows", self.rows, 1);
        ar.owned_records("owned", self.owned, 1, [&self](auto& record) { self.adopted.push_back(&record); });
        ar.blob("bytes", self.bytes);
        ar.end("HOLDER");
    }
};

HolderRecord filled_holder() {
    HolderRecord holder;
    holder.inner = TwoWayRecord{1, -2, -3, 4, -5, "inner", "", {7}};
    holder.rows = {TwoWayRecord{10, 0, 0, 0, 0, "row one", "", {}}, TwoWayRecord{20, 0, 0, 0, 0, "row two", "", {8, 9}}};
    holder.owned.push_back(std::make_unique<TwoWayRecord>(TwoWayRecord{30, 0, 0, 0, 0, "owned", "", {}}));
    holder.bytes = {0xDE, 0xAD, 0xBE, 0xEF};
    return holder;
}

TEST(ArchiveFieldList, AConstRecordWritesTheBytesOfItsMutableTwin) {
    HolderRecord holder = filled_holder();
    Archive mutable_path;
    mutable_path.open_write_memory();
    holder.serialize(mutable_path);
    Archive const_path;
    const_path.open_write_memory();
    std::as_const(holder).write(const_path);
    ASSERT_FALSE(const_path.failed()) << const_path.error();
    EXPECT_EQ(const_path.written(), mutable_path.written());

    Archive in = reader(const_path.written());
    HolderRecord read;
    read.serialize(in);
    ASSERT_FALSE(in.failed()) << in.error();
    EXPECT_TRUE(in.at_end());
    EXPECT_EQ(read.inner.text, "inner");
    EXPECT_EQ(read.inner.list, (std::vector<uint16_t>{7}));
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[1].text, "row two");
    EXPECT_EQ(read.rows[1].list, (std::vector<uint16_t>{8, 9}));
    ASSERT_EQ(read.owned.size(), 1u);
    EXPECT_EQ(read.owned[0]->small, 30);
    EXPECT_EQ(read.adopted, (std::vector<const TwoWayRecord*>{read.owned[0].get()}));
    EXPECT_EQ(read.bytes, holder.bytes);
}

TEST(ArchiveFieldList, ReadingIntoAConstantFailsTheArchive) {
    const HolderRecord constant = filled_holder();
    Archive out;
    out.open_write_memory();
    constant.write(out);
    const std::vector<uint8_t> stored = out.written();

    // Each way of reading into the const record, over bytes that would read.
    auto expect_refused = [&](const char* what, auto read_into_constant) {
        Archive in = reader(stored);
        read_into_constant(in);
        EXPECT_TRUE(in.failed()) << what;
        EXPECT_NE(in.error().find("cannot be read into a constant"), std::string::npos) << what << ": " << in.error();
    };
    expect_refused("the whole record", [&](Archive& in) { constant.write(in); });
    expect_refused("a nested record", [&](Archive& in) {
        in.begin("HOLDER", 1);
        in.record(constant.inner);
    });
    expect_refused("a width", [&](Archive& in) { in.u8("version", constant.inner.small); });
    expect_refused("a text", [&](Archive& in) { in.text("text", constant.inner.text); });
    expect_refused("values", [&](Archive& in) { in.values<uint16_t>("list", constant.inner.list); });
    expect_refused("records", [&](Archive& in) { in.records("rows", constant.rows, 1); });
    expect_refused("owned records", [&](Archive& in) { in.owned_records("owned", constant.owned, 1, [](auto&) {}); });
    expect_refused("a blob", [&](Archive& in) { in.blob("bytes", constant.bytes); });
}

}  // namespace
