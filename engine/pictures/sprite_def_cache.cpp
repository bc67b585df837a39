#include "engine/pictures/sprite_def_cache.h"

SpriteDefCache* g_sprite_def_cache = nullptr;

SpriteDef* SpriteDefCache::decode(std::u16string_view name, std::string_view bytes, uint32_t, int must_exist,
                                  std::string& error) {
    return SpriteDef::parse(name, bytes, must_exist, error);
}

SpriteDef* SpriteDefCache::copy(const SpriteDef& def) { return def.copy(); }
