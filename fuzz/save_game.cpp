// Fuzzes save-game loading against the demo story: a damaged save must be
// refused with the game unchanged, a valid one must apply cleanly, and the
// state it gives must save again. Seeds: fuzz/corpus/save_game/.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/world/world.h"

namespace {

World& demo_world() {
    static World* world = [] {
        auto* w = new World;
        if (!w->load_story(std::string(NIMBREL_DEMO_DATA_DIR) + "/Story")) std::abort();
        w->move_hero(w->first_level()->id, 32, 32, 30);
        return w;
    }();
    return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& world = demo_world();
    const std::vector<uint8_t> before = world.save_state_bytes();
    if (!world.load_state_bytes(std::vector<uint8_t>(data, data + size))) {
        if (world.save_state_bytes() != before) std::abort();  // a refused save changed the game
        return 0;
    }
    // A loaded state saves and loads again.
    const std::vector<uint8_t> again = world.save_state_bytes();
    if (!again.empty() && !world.load_state_bytes(again)) std::abort();
    return 0;
}
