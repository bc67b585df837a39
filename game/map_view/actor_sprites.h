// The characters' pictures on the map: each attached actor gets a composed
// walking sprite in the object group, where it sorts by depth among trees,
// walls and objects. The Game installs this while a session runs; ending it
// takes every character's sprite off the group, so actors that outlive the
// session hold nothing that points into it.
#pragma once

#include <memory>
#include <vector>

#include "game/map_view/gfx_config.h"

class SpriteGroup;
class ComposedActorSprite;

class ActorSprites {
public:
    ActorSprites() = default;
    ActorSprites(const ActorSprites&) = delete;
    ActorSprites& operator=(const ActorSprites&) = delete;
    ~ActorSprites() { uninstall(); }

    // Makes the actors' sprites in `objects` from now on.
    void install(SpriteGroup* objects, GfxConfig gfx);
    // Back to the default (no pictures); live sprites leave the group.
    void uninstall();
    int live_sprites() const;

    struct Host {
        SpriteGroup* group = nullptr;
        GfxConfig gfx;
        std::vector<ComposedActorSprite*> live;
    };

private:
    std::shared_ptr<Host> host_;
};
