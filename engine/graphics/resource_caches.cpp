#include "engine/graphics/resource_caches.h"

void create_resource_caches() {
    if (!g_bitmap_cache) g_bitmap_cache = new BitmapCache;
    if (!g_sprite_def_cache) g_sprite_def_cache = new SpriteDefCache;
}

void destroy_resource_caches() {
    delete g_sprite_def_cache;
    g_sprite_def_cache = nullptr;
    delete g_bitmap_cache;
    g_bitmap_cache = nullptr;
}

void purge_resource_caches() {
    if (g_sprite_def_cache) g_sprite_def_cache->purge();
    if (g_bitmap_cache) g_bitmap_cache->purge();
}
