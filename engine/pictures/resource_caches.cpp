#include "engine/pictures/resource_caches.h"

#include "engine/core/memory_pool.h"

// While the caches live, running out of memory purges them: what nobody
// uses goes before the program gives up.
void create_resource_caches() {
    if (!g_bitmap_cache) g_bitmap_cache = new BitmapCache;
    if (!g_sprite_def_cache) g_sprite_def_cache = new SpriteDefCache;
    set_cache_purge(purge_resource_caches);
}

void destroy_resource_caches() {
    set_cache_purge(nullptr);
    delete g_sprite_def_cache;
    g_sprite_def_cache = nullptr;
    delete g_bitmap_cache;
    g_bitmap_cache = nullptr;
}

void purge_resource_caches() {
    if (g_sprite_def_cache) g_sprite_def_cache->purge();
    if (g_bitmap_cache) g_bitmap_cache->purge();
}
