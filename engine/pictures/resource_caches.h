// The two global caches live from engine start-up to shutdown. They are
// created together and destroyed definitions first, since every definition
// releases its bitmap into the bitmap cache.
#pragma once

#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def_cache.h"

void create_resource_caches();
void destroy_resource_caches();

// Purges both, definitions first, so that bitmaps only unused definitions
// held are freed in the same call.
void purge_resource_caches();
