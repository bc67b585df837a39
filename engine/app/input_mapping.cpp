#include "engine/app/input_mapping.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/platform/messages.h"
#include "engine/ui/game_key.h"

char g_oem_name[kOemNameCapacity + 1];
int32_t g_device_model = kDeviceUnknown;

namespace {

bool oem_name_contains(const char* part) { return std::strstr(g_oem_name, part) != nullptr; }

int32_t saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool in_range(int key, int low, int high) { return key >= low && key <= high; }

bool is_one_of(int key, std::initializer_list<int> keys) {
    for (int k : keys) {
        if (k == key) return true;
    }
    return false;
}

// Each device step looks its input code up once: a code it rewrites is not
// tested again by the same step's other rules. 0 means dropped.
int hx47_step(int key) {
    switch (key) {
        case 202: return 196;
        case 203: return 193;
        case 204: return 194;
        case 205: return 195;
        default: return key;
    }
}

int hx21_step(int key) {
    if (in_range(key, 198, 200)) return key - 198 + 193;
    if (in_range(key, 201, 205)) return 0;
    return key;
}

int rz17_step(int key) {
    if (key == 134) return 13;
    if (key == 13 || in_range(key, 197, 199) || in_range(key, 201, 204)) return 0;
    if (key == 200) return 193;
    return key;
}

int asus_step(int key) {
    if (in_range(key, 197, 200)) return key - 197 + 193;
    if (key == 201 || key == 203) return 197;
    if (in_range(key, 209, 213)) return 0;
    return key;
}

int loox_step(int key) {
    switch (key) {
        case 200: return 194;
        case 202: return 196;
        case 203: return 197;
        default: return key;
    }
}

int hw65_step(int key) {
    switch (key) {
        case 114: return 193;
        case 115: return 196;
        case 117: return kVkUp;
        case 118: return kVkDown;
        case 202: return 194;
        case 203: return 195;
        default: break;
    }
    if (key == 16 || in_range(key, 193, 201) || key == 241 || key == 242) return 0;
    return key;
}

int axim_x5_step(int key) { return key == 202 ? 197 : key; }

int axim_x30_step(int key) { return in_range(key, 194, 197) ? key - 1 : key; }

// The devices whose keys are rewritten, each found by a part of its OEM
// name (case-sensitive), in the order their steps feed one another.
struct DeviceStep {
    const char* name_part;
    int (*step)(int key);
};

constexpr DeviceStep kDeviceSteps[] = {
    {"hp iPAQ hx47", hx47_step}, {"hp iPAQ hx21", hx21_step}, {"hp iPAQ rz17", rz17_step},
    {"ASUS", asus_step},         {"Pocket LOOX", loox_step},  {"hp iPAQ hw65", hw65_step},
    {"Dell Axim X5", axim_x5_step}, {"Dell Axim X30", axim_x30_step},
};

// The models known by their whole name (ignoring case); the last that
// matches wins.
struct NamedModel {
    const char* name;
    DeviceModel model;
};

constexpr NamedModel kNamedModels[] = {
    {"Dell Axim X30", kDeviceAximX30}, {"Pocket LOOX 7", kDeviceLoox7},
    {"hp iPAQ hx47", kDeviceIpaqHx47}, {"hp iPAQ hw65", kDeviceIpaqHw65},
    {"ASUS", kDeviceAsus},
};

struct GameKeyPair {
    int virtual_key;
    GameKey game_key;
};

constexpr GameKeyPair kGameKeys[] = {
    {kVkLeft, kKeyLeft},       {kVkRight, kKeyRight},     {kVkUp, kKeyUp},           {kVkDown, kKeyDown},
    {kVkSpace, kKeySpace},     {kVkEscape, kKeyEscape},   {kVkReturn, kKeyAction},   {kVkApp1, kKeyButton1},
    {kVkApp2, kKeyButton2},    {kVkApp3, kKeyButton3},    {kVkApp4, kKeyButton4},    {kVkApp5, kKeyButton5},
    {'A', kKeyA},              {kVkBack, kKeyBackspace},
};

}  // namespace

void detect_device_model(const char* oem_name) {
    std::strncpy(g_oem_name, oem_name ? oem_name : "", kOemNameCapacity);
    g_oem_name[kOemNameCapacity] = '\0';
    for (const NamedModel& known : kNamedModels) {
        if (equals_ignore_case(g_oem_name, known.name)) g_device_model = known.model;
    }
}

bool is_known_device_name(const std::string& oem_name) {
    const std::string name = oem_name.substr(0, kOemNameCapacity);
    for (const DeviceStep& device : kDeviceSteps) {
        if (name.find(device.name_part) != std::string::npos) return true;
    }
    for (const NamedModel& known : kNamedModels) {
        if (equals_ignore_case(name, known.name)) return true;
    }
    return false;
}

std::string known_device_names() {
    std::string names;
    for (const DeviceStep& device : kDeviceSteps) {
        if (!names.empty()) names += ", ";
        names += std::string("\"") + device.name_part + "\"";
    }
    return names;
}

int remap_device_key(int kind, int key, uint32_t flags) {
    if (kind == kKeyPress && (flags & kKeyRepeatBit)) return 0;
    for (const DeviceStep& device : kDeviceSteps) {
        if (key && oem_name_contains(device.name_part)) key = device.step(key);
    }
    if (is_one_of(key, {91, 132, 134, 135})) return 0;
    return key;
}

int rotate_arrow_key(int key, int orientation) {
    if (!in_range(key, kVkLeft, kVkDown)) return key;
    // Arrows in turning order: left, up, right, down.
    int steps;
    switch (orientation) {
        case 2: steps = 1; break;
        case 3: steps = 2; break;
        case 4: steps = 3; break;
        default: return key;
    }
    return kVkLeft + (key - kVkLeft + steps) % 4;
}

uint32_t remap_key(uint32_t key) {
    for (const GameKeyPair& pair : kGameKeys) {
        if (uint32_t(pair.virtual_key) == key) return uint32_t(pair.game_key);
    }
    return key;
}

void map_stylus_point(int32_t& x, int32_t& y, int scale_mode, int orientation) {
    if (scale_mode == 1) {
        x /= 2;
        y /= 2;
    } else if (scale_mode == 3) {
        x = saturate(int64_t(x) * 2);
        y = saturate(int64_t(y) * 2);
    }
    bool wide = scale_mode == 2 || scale_mode == 3;
    int32_t old_x = x;
    if (orientation == 2) {
        x = saturate((wide ? 639 : 319) - int64_t(y));
        y = old_x;
    } else if (orientation == 4) {
        x = y;
        y = saturate((wide ? 479 : 239) - int64_t(old_x));
    }
}

uint32_t translate_key(int kind, uint32_t key, uint32_t flags, int orientation) {
    // Codes beyond the int range are no device's keys; they pass unchanged.
    if (key > uint32_t(INT32_MAX)) return key;
    int code = remap_device_key(kind, int(key), flags);
    if (code == 0) return 0;
    if (g_device_model == kDeviceAximX30 && in_range(code, 194, 197)) code -= 1;
    return uint32_t(rotate_arrow_key(code, orientation));
}
