#include "engine/core/byte_order.h"

#include <gtest/gtest.h>

TEST(ByteOrder, ReadsLittleEndianWhateverTheHost) {
    const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x84, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(read_u16le(bytes), 0x0201);
    EXPECT_EQ(read_u32le(bytes), 0x84030201u);
    EXPECT_EQ(read_i32le(bytes), int32_t(0x84030201u));
    EXPECT_EQ(read_i16le(bytes + 2), int16_t(0x8403));
    EXPECT_EQ(read_u64le(bytes), 0x8807060584030201ull);
}

TEST(ByteOrder, WriteAndAppendRoundTrip) {
    uint8_t buf[8] = {};
    write_u32le(buf, 0xDEADBEEF);
    write_u16le(buf + 4, 0xCAFE);
    EXPECT_EQ(read_u32le(buf), 0xDEADBEEFu);
    EXPECT_EQ(read_u16le(buf + 4), 0xCAFE);

    std::vector<uint8_t> out;
    append_u8(out, 0x23);
    append_u16le(out, 0x1234);
    append_u32le(out, 0x89ABCDEF);
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[0], 0x23);
    EXPECT_EQ(read_u16le(&out[1]), 0x1234);
    EXPECT_EQ(read_u32le(&out[3]), 0x89ABCDEFu);
}
