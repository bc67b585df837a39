#include "game/map_view/decoration.h"

#include <cstdio>
#include <set>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"

namespace {

// A level with weather starts it again on every entry: one line a file.
void tell_once(std::u16string_view name) {
    static std::set<std::u16string, std::less<>> told;
    if (!told.insert(std::u16string(name)).second) return;
    std::fprintf(stderr, "tarrowind: the sprite \"%s\" or its picture is missing or damaged; the game goes on "
                 "without it\n", utf16_to_utf8(name).c_str());
}

}  // namespace

std::unique_ptr<Sprite> load_decoration_sprite(std::u16string_view name) {
    auto sprite = std::make_unique<Sprite>();
    if (sprite->load(name, 0)) return sprite;
    tell_once(name);
    return nullptr;
}
