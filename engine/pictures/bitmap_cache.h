// The shared store of decoded pictures, keyed by file name and load flags.
#pragma once

#include "engine/pictures/bitmap.h"
#include "engine/pictures/resource_cache.h"

class BitmapCache : public ResourceCache<Bitmap> {
public:
    // With caching on and the picture not yet cached: decode it now and keep
    // it at count 0, so that a later get finds it. A missing or undecodable
    // file gives the fatal report when must_exist is set.
    void preload(std::u16string_view name, uint32_t flags, int must_exist = 1);
    void preload_bitmap(std::u16string_view name) { preload(name, 0); }

protected:
    Bitmap* decode(std::u16string_view name, std::string_view bytes, uint32_t flags, int must_exist,
                   std::string& error) override;
    Bitmap* copy(const Bitmap& bitmap) override;
};

extern BitmapCache* g_bitmap_cache;
