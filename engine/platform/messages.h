// The messages the platform layer sends to the program's one window, in the
// numbering the shell's window procedure was written for.
#pragma once

#include <cstdint>

enum class MessageId : uint32_t {
    None = 0x0000,
    Create = 0x0001,
    Destroy = 0x0002,
    SetFocus = 0x0007,
    KillFocus = 0x0008,
    Paint = 0x000F,
    Close = 0x0010,
    Quit = 0x0012,
    EraseBkgnd = 0x0014,
    Notify = 0x004E,
    KeyDown = 0x0100,
    KeyUp = 0x0101,
    Char = 0x0102,
    SysKeyDown = 0x0104,
    SysKeyUp = 0x0105,
    SysChar = 0x0106,
    Timer = 0x0113,
    PenMove = 0x0200,
    PenDown = 0x0201,
    PenUp = 0x0202,
    ScreenRestored = 0x0281,   // wparam 1, lparam 0xC000000F: the device screen came back
    BringToFront = 0x0DAB,     // another program asks us to the front
    PcCommand = 0x2B11,        // a desktop companion sends a command in the low word of wparam
    TrayNotify = 0xD904,       // wparam 0xD903, lparam 0x201: the tray icon was tapped
};

// Key messages: bit 30 of lparam is set on a key-down while the key was
// already down (auto-repeat), bit 31 on every key-up.
constexpr uint32_t kKeyRepeatBit = 1u << 30;
constexpr uint32_t kKeyUpBit = 1u << 31;

// Pen messages carry x in the low and y in the high 16 bits of lparam, signed.
constexpr uint32_t pack_pen_point(int32_t x, int32_t y) {
    return uint32_t(uint16_t(int16_t(x))) | (uint32_t(uint16_t(int16_t(y))) << 16);
}
constexpr int32_t pen_point_x(uint32_t lparam) { return int16_t(uint16_t(lparam)); }
constexpr int32_t pen_point_y(uint32_t lparam) { return int16_t(uint16_t(lparam >> 16)); }

struct Message {
    MessageId id = MessageId::None;
    uint32_t wparam = 0;
    uint32_t lparam = 0;
    uint32_t window = 0;  // the window it was sent or posted to
};
