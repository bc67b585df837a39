#include "engine/pictures/bitmap_cache.h"

#include <span>

#include "engine/pictures/bmp_decoder.h"
#include "engine/pictures/color_convert.h"

BitmapCache* g_bitmap_cache = nullptr;

void BitmapCache::preload(std::u16string_view name, uint32_t flags, int must_exist) {
    if (caching != 1 || find(name, flags) >= 0) return;
    release(get(name, flags, must_exist));
}

Bitmap* BitmapCache::decode(std::u16string_view, std::string_view bytes, uint32_t flags, int, std::string& error) {
    auto file = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return decode_bmp(file, cached_picture_decode_flags(flags), error).release();
}

Bitmap* BitmapCache::copy(const Bitmap& bitmap) { return bitmap.clone().release(); }
