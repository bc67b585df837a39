#include "engine/platform/key_names.h"

#include <array>

#include "engine/core/text_helpers.h"

namespace {

struct NamedKey {
    std::string_view name;       // as written in input scripts
    std::string_view host_name;  // as SDL names the key
    uint32_t code;               // device key code
};

// Keys with a name of their own; letters and digits stand for their
// character code (A-Z 65-90, 0-9 48-57). F1-F5 are the device's
// application buttons 193-197.
constexpr std::array<NamedKey, 13> kNamedKeys{{
    {"LEFT", "Left", 37},
    {"UP", "Up", 38},
    {"RIGHT", "Right", 39},
    {"DOWN", "Down", 40},
    {"SPACE", "Space", 32},
    {"ESCAPE", "Escape", 27},
    {"ENTER", "Return", 13},
    {"BACKSPACE", "Backspace", 8},
    {"F1", "F1", 193},
    {"F2", "F2", 194},
    {"F3", "F3", 195},
    {"F4", "F4", 196},
    {"F5", "F5", 197},
}};

uint32_t letter_or_digit_code(std::string_view name) {
    if (name.size() != 1) return 0;
    const char c = ascii_upper(name[0]);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return uint32_t(c);
    return 0;
}

}  // namespace

uint32_t key_code_from_name(std::string_view name) {
    for (const NamedKey& key : kNamedKeys) {
        if (equals_ignore_case(name, key.name)) return key.code;
    }
    return letter_or_digit_code(name);
}

uint32_t key_code_from_host_name(std::string_view host_name) {
    for (const NamedKey& key : kNamedKeys) {
        if (equals_ignore_case(host_name, key.host_name)) return key.code;
    }
    return letter_or_digit_code(host_name);
}
