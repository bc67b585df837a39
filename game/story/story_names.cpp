#include "game/story/story_names.h"

#include "engine/core/text_helpers.h"

std::string story_display_name(const std::string& text) {
    std::string name = skip_blanks(text.c_str());
    capitalize_words(name.data());
    return name;
}
