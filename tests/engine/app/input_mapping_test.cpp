#include "engine/app/input_mapping.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine/platform/messages.h"

namespace {

// Each test names its device; the model starts unknown.
class InputMappingTest : public ::testing::Test {
protected:
    void SetUp() override { device(""); }
    void device(const char* oem_name) {
        g_device_model = kDeviceUnknown;
        detect_device_model(oem_name);
    }
    static int down(int key) { return remap_device_key(kKeyPress, key, 0); }
    // The game key the shell hands on, or -1 when the key is dropped.
    static int game_key(int key, int orientation = 1) {
        uint32_t code = translate_key(kKeyPress, uint32_t(key), 0, orientation);
        return code == 0 ? -1 : int(remap_key(code));
    }
};

TEST_F(InputMappingTest, DeviceModelFromTheWholeName) {
    device("Dell Axim X30");
    EXPECT_EQ(g_device_model, kDeviceAximX30);
    device("POCKET loox 7");
    EXPECT_EQ(g_device_model, kDeviceLoox7);
    device("hp iPAQ hx47");
    EXPECT_EQ(g_device_model, kDeviceIpaqHx47);
    device("hp ipaq HW65");
    EXPECT_EQ(g_device_model, kDeviceIpaqHw65);
    device("asus");
    EXPECT_EQ(g_device_model, kDeviceAsus);
    // A longer name does not equal a known one; the model stays.
    detect_device_model("hp iPAQ hx4700");
    EXPECT_EQ(g_device_model, kDeviceAsus);
    device("ASUS MyPal A730");
    EXPECT_EQ(g_device_model, kDeviceUnknown);
    EXPECT_STREQ(g_oem_name, "ASUS MyPal A730");
    // The stored name is cut to its capacity.
    std::string long_name(150, 'n');
    device(long_name.c_str());
    EXPECT_EQ(std::string(g_oem_name), long_name.substr(0, kOemNameCapacity));
    device(nullptr);
    EXPECT_STREQ(g_oem_name, "");
}

TEST_F(InputMappingTest, RepeatedKeyDownsAreDroppedButNotKeyUps) {
    EXPECT_EQ(remap_device_key(kKeyPress, kVkLeft, kKeyRepeatBit), 0);
    EXPECT_EQ(remap_device_key(kKeyRelease, kVkLeft, kKeyRepeatBit | 1u << 31), kVkLeft);
    EXPECT_EQ(remap_device_key(kKeyPress, kVkLeft, 1), kVkLeft);
    EXPECT_EQ(translate_key(kKeyPress, kVkLeft, kKeyRepeatBit, 1), 0u);
    EXPECT_EQ(translate_key(kKeyRelease, kVkLeft, kKeyRepeatBit, 1), uint32_t(kVkLeft));
}

TEST_F(InputMappingTest, KeysDroppedForEveryDevice) {
    for (const char* name : {"", "hp iPAQ hx47", "Dell Axim X30", "ASUS"}) {
        device(name);
        for (int key : {91, 132, 134, 135}) EXPECT_EQ(down(key), 0) << name << " " << key;
    }
}

TEST_F(InputMappingTest, HpDevices) {
    device("hp iPAQ hx4700");  // a substring match is enough for the steps
    EXPECT_EQ(down(202), 196);
    EXPECT_EQ(game_key(202), 11);
    EXPECT_EQ(down(203), 193);
    EXPECT_EQ(down(205), 195);

    device("hp iPAQ hx2110");
    EXPECT_EQ(down(198), 193);
    EXPECT_EQ(down(200), 195);
    EXPECT_EQ(down(201), 0);
    EXPECT_EQ(down(205), 0);

    device("hp iPAQ rz1715");
    EXPECT_EQ(down(134), 13);  // rewritten, not then dropped as 13
    EXPECT_EQ(game_key(134), 6);
    EXPECT_EQ(down(13), 0);
    EXPECT_EQ(down(200), 193);
    EXPECT_EQ(down(197), 0);
    EXPECT_EQ(down(204), 0);

    device("hp iPAQ hw6515");
    EXPECT_EQ(down(114), 193);  // rewritten, not then dropped as 193..201
    EXPECT_EQ(game_key(114), 8);
    EXPECT_EQ(down(117), kVkUp);
    EXPECT_EQ(game_key(117), 2);
    EXPECT_EQ(down(118), kVkDown);
    EXPECT_EQ(down(115), 196);
    EXPECT_EQ(down(202), 194);
    EXPECT_EQ(down(203), 195);
    for (int key : {16, 193, 197, 201, 241, 242}) EXPECT_EQ(down(key), 0) << key;
    // Case matters in the steps.
    device("HP IPAQ HW6515");
    EXPECT_EQ(down(114), 114);
}

TEST_F(InputMappingTest, AsusLooxAndDell) {
    device("ASUS");
    EXPECT_EQ(down(197), 193);
    EXPECT_EQ(down(200), 196);
    EXPECT_EQ(down(201), 197);  // not lowered again to 193
    EXPECT_EQ(down(203), 197);
    EXPECT_EQ(down(209), 0);
    EXPECT_EQ(down(213), 0);
    EXPECT_EQ(down(202), 202);

    device("Pocket LOOX 720");
    EXPECT_EQ(down(200), 194);
    EXPECT_EQ(down(202), 196);
    EXPECT_EQ(down(203), 197);

    device("Dell Axim X51v");
    EXPECT_EQ(down(202), 197);
    EXPECT_EQ(game_key(202), 7);
}

TEST_F(InputMappingTest, AximX30LowersTheButtonsTwice) {
    device("Dell Axim X30");
    EXPECT_EQ(down(197), 196);
    EXPECT_EQ(translate_key(kKeyPress, 197, 0, 1), 195u);
    EXPECT_EQ(game_key(197), 10);
    EXPECT_EQ(game_key(196), 9);
    for (int button : {193, 194, 195}) EXPECT_EQ(game_key(button), 8) << button;
    // Only the exact name sets the model; the device step alone lowers once.
    device("Dell Axim X30 (2)");
    EXPECT_EQ(game_key(197), 11);
}

TEST_F(InputMappingTest, GameKeyTable) {
    // Every pair of the table, by number: the screens and the menus' hot keys
    // see these numbers.
    struct Row {
        uint32_t virtual_key, game_key;
    };
    constexpr Row kRows[] = {
        {kVkLeft, 0},   {kVkRight, 1}, {kVkUp, 2},   {kVkDown, 3},   {kVkSpace, 4}, {kVkEscape, 5}, {kVkReturn, 6},
        {197, 7},       {193, 8},      {194, 9},     {195, 10},      {196, 11},     {'A', 20},      {kVkBack, 15},
        {'B', 66},      {0xFFFFFFFFu, 0xFFFFFFFFu},  // outside the table: their own
    };
    for (const Row& row : kRows) EXPECT_EQ(remap_key(row.virtual_key), row.game_key) << row.virtual_key;
}

TEST_F(InputMappingTest, ArrowsTurnWithTheDisplay) {
    const int arrows[] = {kVkLeft, kVkUp, kVkRight, kVkDown};
    const int turned[5][4] = {{}, {37, 38, 39, 40}, {38, 39, 40, 37}, {39, 40, 37, 38}, {40, 37, 38, 39}};
    for (int orientation = 1; orientation <= 4; ++orientation) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rotate_arrow_key(arrows[i], orientation), turned[orientation][i])
                << orientation << " " << arrows[i];
        }
    }
    EXPECT_EQ(rotate_arrow_key(kVkSpace, 2), kVkSpace);
    EXPECT_EQ(rotate_arrow_key(kVkLeft, 0), kVkLeft);
    // Rotation comes before the game-key table.
    EXPECT_EQ(game_key(kVkLeft, 2), 2);
    EXPECT_EQ(game_key(kVkDown, 4), 1);  // down turns into right
}

TEST_F(InputMappingTest, StylusPoints) {
    auto mapped = [](int32_t x, int32_t y, int scale_mode, int orientation) {
        map_stylus_point(x, y, scale_mode, orientation);
        return std::pair{x, y};
    };
    EXPECT_EQ(mapped(300, 500, 1, 1), std::pair(150, 250));
    EXPECT_EQ(mapped(-3, -5, 1, 1), std::pair(-1, -2));  // division toward zero
    EXPECT_EQ(mapped(100, 50, 0, 1), std::pair(100, 50));
    EXPECT_EQ(mapped(100, 50, 3, 1), std::pair(200, 100));
    EXPECT_EQ(mapped(10, 20, 0, 2), std::pair(299, 10));
    EXPECT_EQ(mapped(10, 20, 2, 2), std::pair(619, 10));
    EXPECT_EQ(mapped(10, 20, 3, 2), std::pair(599, 20));
    EXPECT_EQ(mapped(10, 20, 0, 4), std::pair(20, 229));
    EXPECT_EQ(mapped(10, 20, 2, 4), std::pair(20, 469));
    EXPECT_EQ(mapped(10, 20, 0, 3), std::pair(10, 20));
    // A drag captured past the top-left corner stays negative.
    EXPECT_EQ(mapped(-7, -9, 0, 1), std::pair(-7, -9));
    EXPECT_EQ(mapped(-7, -9, 0, 2), std::pair(328, -7));
    EXPECT_EQ(mapped(INT32_MIN, INT32_MAX, 3, 4), std::pair(INT32_MAX, INT32_MAX));
}

}  // namespace
