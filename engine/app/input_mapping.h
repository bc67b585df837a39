// Hardware keys and stylus input of the handheld models: the device model
// from the OEM name, per-device rewriting and dropping of raw key codes, the
// rotation of the arrow keys with the display, the game-key table, and the
// mapping of stylus points to back-buffer pixels.
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/input_kind.h"

// Virtual-key codes the mapping knows by name.
enum VirtualKey : int {
    kVkBack = 8,
    kVkReturn = 13,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    // The five application buttons.
    kVkApp1 = 193,
    kVkApp2 = 194,
    kVkApp3 = 195,
    kVkApp4 = 196,
    kVkApp5 = 197,
};

// Key event kinds are kKeyPress and kKeyRelease (engine/core/input_kind.h).
// A key press's flags carry kKeyRepeatBit (engine/platform/messages.h) when
// it repeats a held key.

enum DeviceModel : int32_t {
    kDeviceUnknown = 0,
    kDeviceAximX30 = 1,
    kDeviceIpaqHx47 = 2,
    kDeviceLoox7 = 3,
    kDeviceIpaqHw65 = 4,
    kDeviceAsus = 5,
};

constexpr int kOemNameCapacity = 100;
// The OEM name (narrow, at most 100 bytes) and the model taken from it.
extern char g_oem_name[kOemNameCapacity + 1];
extern int32_t g_device_model;

// Stores `oem_name` (cut to 100 bytes) and sets the model of the last known
// name it equals ignoring ASCII case; an unknown name leaves the model.
void detect_device_model(const char* oem_name);

// True when some model's keys follow the name: it holds the part of an OEM
// name a rewrite looks for, or is a model's whole name.
bool is_known_device_name(const std::string& oem_name);
// The parts of OEM names that the rewrites look for, quoted, for messages.
std::string known_device_names();

// The device's rewrite of a raw key code, or 0 when the key is dropped.
int remap_device_key(int kind, int key, uint32_t flags);

// Arrow keys turned with the display orientation (1 portrait; 2, 3, 4).
int rotate_arrow_key(int key, int orientation);

// The game key (engine/ui/game_key.h) of a virtual key; keys outside the
// table are their own.
uint32_t remap_key(uint32_t key);

// Stylus point in screen pixels to back-buffer pixels, for the display's
// scale mode and orientation. Points outside the screen stay signed.
void map_stylus_point(int32_t& x, int32_t& y, int scale_mode, int orientation);

// The shell's key path before the game-key table: the device rewrite, the
// second lowering of the application buttons on model 1, and the arrow
// rotation. 0 means the key is dropped.
uint32_t translate_key(int kind, uint32_t key, uint32_t flags, int orientation);
