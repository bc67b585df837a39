// The shared store of sprite definitions read from ".spr" files.
#pragma once

#include "engine/pictures/resource_cache.h"
#include "engine/pictures/sprite_def.h"

class SpriteDefCache : public ResourceCache<SpriteDef> {
protected:
    SpriteDef* decode(std::u16string_view name, std::string_view bytes, uint32_t flags, int must_exist,
                      std::string& error) override;
    SpriteDef* copy(const SpriteDef& def) override;
};

extern SpriteDefCache* g_sprite_def_cache;
