#include "game/map_view/actor_sprites.h"

#include <algorithm>

#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/map_view/npc_sprite_composer.h"
#include "game/world/actor.h"

// One actor's sprite in the object group; harmless once the session ended.
class ComposedActorSprite : public ActorSprite {
public:
    ComposedActorSprite(std::shared_ptr<ActorSprites::Host> host, Sprite* sprite)
        : host_(std::move(host)), sprite_(sprite) {
        host_->live.push_back(this);
        host_->group->add_sprite(sprite_, 0, 0, 0, 0, HIT_RECT, 0);
    }
    ~ComposedActorSprite() override {
        release();
        auto& live = host_->live;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }

    void move_to(int x, int y, int depth) override {
        if (sprite_) sprite_->set_position(x, y, depth);
    }
    void set_frame(int frame) override {
        if (sprite_ && sprite_->group) sprite_->group->set_sprite_phase(sprite_, frame);
    }
    Sprite* picture() const override { return sprite_; }
    void release() {
        if (sprite_ && host_->group) host_->group->remove_sprite(sprite_);
        sprite_ = nullptr;
    }

private:
    std::shared_ptr<ActorSprites::Host> host_;
    Sprite* sprite_;
};

void ActorSprites::install(SpriteGroup* objects, GfxConfig gfx) {
    uninstall();
    if (!objects) return;
    host_ = std::make_shared<Host>();
    host_->group = objects;
    host_->gfx = std::move(gfx);
    set_actor_sprite_factory([host = host_](const Actor& actor, Layer*) -> std::unique_ptr<ActorSprite> {
        if (!host->group) return std::make_unique<NullActorSprite>();
        const NpcAppearance look{actor.premade, actor.body, actor.head, actor.hair, actor.animated};
        return std::make_unique<ComposedActorSprite>(host, build_npc_walk_sprite(host->gfx, look));
    });
}

void ActorSprites::uninstall() {
    if (!host_) return;
    set_actor_sprite_factory(nullptr);
    for (ComposedActorSprite* sprite : host_->live) sprite->release();
    host_->group = nullptr;
    host_.reset();
}

int ActorSprites::live_sprites() const {
    return host_ ? int(host_->live.size()) : 0;
}
