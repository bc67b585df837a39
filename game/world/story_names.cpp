#include "game/world/story_names.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

}  // namespace

std::string story_display_name(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && is_blank(text[start])) ++start;
    std::string out = text.substr(start);
    bool word_start = true;
    for (char& c : out) {
        if (is_blank(c)) {
            word_start = true;
        } else {
            if (word_start) c = ascii_upper(c);
            word_start = false;
        }
    }
    return out;
}
