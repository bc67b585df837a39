#include "engine/core/pooled_text.h"

#include "engine/core/string_pool.h"

namespace {

// Records made while no game runs (tools, tests) pool their strings here, so
// they stay valid for the life of the process; the game's own records go to
// the global pool it creates at start-up.
StringPool& pool_outside_a_game() {
    static StringPool* pool = new StringPool;
    return *pool;
}

}  // namespace

PooledText::PooledText(const char* text) {
    if (!text || !*text) return;
    text_ = (g_string_pool ? *g_string_pool : pool_outside_a_game()).intern(text);
}
