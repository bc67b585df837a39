#include "engine/core/fixed_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

#include "engine/core/fixed_tables.h"

namespace {

constexpr int32_t fixed(double v) { return int32_t(v * 65536.0); }

// The tables computed again here in plain double arithmetic, with the
// corrections double needs, independently of the generator in tools/.
TEST(FixedTables, MatchAnIndependentComputation) {
    const double pi = std::numbers::pi;
    for (int i = 0; i < kSineTableSize; ++i) {
        long expected = std::lround(std::sin(i / 10.0 * pi / 180.0) * 16384.0);
        ASSERT_EQ(g_sine_table[i], expected) << "sine entry " << i;
    }
    for (int i = 0; i < kSquareRootTableSize; ++i) {
        long expected = long(256.0 * std::sqrt(i + 0.5));
        ASSERT_EQ(g_square_root_table[i], expected) << "square root entry " << i;
    }
    for (int i = 0; i < kArcCosineTableSize; ++i) {
        double degrees = std::acos((i - 500) / 500.0) * 180.0 / pi;
        // acos(+-0.5) comes out a hair above 120 and 60 in double.
        long expected = std::max(0L, long(std::ceil(degrees - 1e-6)) - 1);
        ASSERT_EQ(g_arc_cosine_table[i], expected) << "arc cosine entry " << i;
    }
}

TEST(FixedTables, ExactAnglesAndRootsLandOnTheRightSide) {
    EXPECT_EQ(g_sine_table[300], 8192);
    EXPECT_EQ(g_sine_table[900], 16384);
    EXPECT_EQ(g_sine_table[2700], -16384);
    EXPECT_EQ(g_arc_cosine_table[0], 179);
    EXPECT_EQ(g_arc_cosine_table[250], 119);
    EXPECT_EQ(g_arc_cosine_table[500], 89);
    EXPECT_EQ(g_arc_cosine_table[750], 59);
    EXPECT_EQ(g_arc_cosine_table[1000], 0);
    EXPECT_EQ(g_square_root_table[400], 5123);
}

TEST(FixSin, QuadrantsSignAndWrap) {
    EXPECT_EQ(fix_sin(0x5A0000), 65536);
    EXPECT_EQ(fix_sin(fixed(30.0)), 32768);
    EXPECT_EQ(fix_sin(fixed(-90.0)), -65536);
    EXPECT_EQ(fix_sin(fixed(360.0)), 0);
    EXPECT_EQ(fix_sin(fixed(270.0)), -65536);
    // Beyond 3,276.8 degrees the tenths no longer fit 32 bits.
    EXPECT_EQ(fix_sin(fixed(3630.0)), 32768);
    EXPECT_EQ(fix_sin(fixed(-3630.0)), -32768);
    // INT32_MIN is -32,768.0 degrees: 327,680 tenths, 8.0 degrees past a whole turn.
    EXPECT_EQ(fix_sin(INT32_MIN), -g_sine_table[327680 % 3600] * 4);
    EXPECT_EQ(fix_sin(INT32_MAX), g_sine_table[(int64_t(INT32_MAX) * 10 >> 16) % 3600] * 4);
}

TEST(FixSqrt, EachRangeAndItsBoundaries) {
    EXPECT_EQ(fix_sqrt(-1), 0);
    EXPECT_EQ(fix_sqrt(INT32_MIN), 0);
    EXPECT_EQ(fix_sqrt(0), g_square_root_table[0] >> 2);
    EXPECT_EQ(fix_sqrt(255), g_square_root_table[255] >> 2);
    EXPECT_EQ(fix_sqrt(256), g_square_root_table[16] * 4);
    EXPECT_EQ(fix_sqrt(65535), g_square_root_table[4095] * 4);
    EXPECT_EQ(fix_sqrt(65536), g_square_root_table[16] * 64);
    EXPECT_EQ(fix_sqrt((1 << 24) - 1), g_square_root_table[4095] * 64);
    EXPECT_EQ(fix_sqrt(1 << 24), g_square_root_table[16] * 1024);
    EXPECT_EQ(fix_sqrt(INT32_MAX), g_square_root_table[2047] * 1024);
    // A 16.16 input gives its square root in 16.16, within the table's step.
    EXPECT_NEAR(fix_sqrt(fixed(4.0)), fixed(2.0), fixed(2.0) / 100);
    EXPECT_NEAR(fix_sqrt(fixed(100.0)), fixed(10.0), fixed(10.0) / 100);
}

TEST(FixDistance, RangesKeepTheirScale) {
    EXPECT_EQ(fix_distance(0, 0, fixed(3.0), fixed(4.0)), 327872);
    EXPECT_EQ(fix_distance(0, 0, 0, 0), fix_sqrt(0));
    // 120.0 apart is still the fine range; just beyond it is the middle one.
    EXPECT_EQ(fix_distance(0, 0, fixed(120.0), 0), fix_sqrt(30720 * 30720));
    EXPECT_EQ(fix_distance(0, 0, fixed(120.0) + 1, 0), fix_sqrt(960 * 960) * 32);
    EXPECT_EQ(fix_distance(0, 0, 0, fixed(1200.0)), fix_sqrt(9600 * 9600) * 32);
    EXPECT_EQ(fix_distance(0, 0, 0, fixed(1200.0) + 1), fix_sqrt(1200 * 1200) * 256);
    for (double d : {1.0, 50.0, 120.0, 500.0, 1200.0, 3000.0}) {
        EXPECT_NEAR(fix_distance(fixed(d), 0, 0, 0) / 65536.0, d, d * 0.02) << d;
    }
}

TEST(FixDistance, FarApartPointsSaturateInsteadOfWrapping) {
    // The offsets overflow 32 bits; the distance is still the largest one.
    EXPECT_EQ(fix_distance(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN), INT32_MAX);
    EXPECT_EQ(fix_distance(INT32_MIN, 0, INT32_MAX, 0), INT32_MAX);
    EXPECT_GT(fix_distance(fixed(30000.0), 0, fixed(-2000.0), 0), fixed(30000.0));
}

TEST(FixAcos, TableAndClamping) {
    EXPECT_EQ(fix_acos(0), 89 * 65536);
    EXPECT_EQ(fix_acos(65536), 0);
    EXPECT_EQ(fix_acos(-65536), 179 * 65536);
    EXPECT_EQ(fix_acos(fixed(0.5)), 59 * 65536);
    EXPECT_EQ(fix_acos(fixed(-0.5)), 119 * 65536);
    EXPECT_EQ(fix_acos(fixed(2.0)), 0);
    EXPECT_EQ(fix_acos(fixed(-70.0)), 179 * 65536);
    EXPECT_EQ(fix_acos(INT32_MAX), 0);
    EXPECT_EQ(fix_acos(INT32_MIN), 179 * 65536);
}

TEST(ParseFixed, DecimalText) {
    EXPECT_EQ(parse_fixed("-12.75"), -835584);
    EXPECT_EQ(parse_fixed("1.5"), 98304);
    EXPECT_EQ(parse_fixed("3"), 196608);
    EXPECT_EQ(parse_fixed("3."), 196608);
    EXPECT_EQ(parse_fixed("0.25"), 16384);
    EXPECT_EQ(parse_fixed(""), 0);
    // Truncated toward zero on both sides.
    EXPECT_EQ(parse_fixed("0.1"), 6553);
    EXPECT_EQ(parse_fixed("-0.1"), -6553);
    // Other characters are skipped; a '-' anywhere negates.
    EXPECT_EQ(parse_fixed(" 2 x"), 131072);
    EXPECT_EQ(parse_fixed("2-"), -131072);
}

TEST(ParseFixed, LongDigitRunsAndValuesPastTheRangeSaturate) {
    EXPECT_EQ(parse_fixed("1.2345678"), int32_t(12345678LL * 65536 / 10000000));
    EXPECT_EQ(parse_fixed("3.14159"), int32_t(314159LL * 65536 / 100000));
    EXPECT_EQ(parse_fixed("32767"), 32767 * 65536);
    EXPECT_EQ(parse_fixed("32768"), INT32_MAX);
    EXPECT_EQ(parse_fixed("-40000"), INT32_MIN);
    EXPECT_EQ(parse_fixed("12345678901234567890"), INT32_MAX);
    EXPECT_EQ(parse_fixed("-12345678901234567890"), INT32_MIN);
    EXPECT_EQ(parse_fixed("1.00000000000000000000"), 65536);
    EXPECT_EQ(parse_fixed("0.000000000000000000000001"), 0);
    // Many signs and points: one sign, the first point, seven places.
    EXPECT_EQ(parse_fixed("--..--9..9"), 0);
    EXPECT_EQ(parse_fixed("-.-5"), -(5 * 65536 / 100));
}

}  // namespace
