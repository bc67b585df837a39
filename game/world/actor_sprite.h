// The picture of a character on the map, as the actors see it: the game's
// sprite composition makes the real one; without it a plain record of where
// the sprite would stand is kept, which is all that tests and tools need.
#pragma once

#include <functional>
#include <memory>

class Actor;
class Layer;
class Sprite;

class ActorSprite {
public:
    virtual ~ActorSprite() = default;
    virtual void move_to(int x, int y, int depth) = 0;
    virtual void set_frame(int frame) = 0;
    // The sprite on the map, for screens that show a copy of the
    // character; null when nothing is drawn.
    virtual Sprite* picture() const { return nullptr; }
};

// Remembers what it was told and draws nothing.
class NullActorSprite : public ActorSprite {
public:
    void move_to(int x, int y, int depth) override {
        this->x = x;
        this->y = y;
        this->depth = depth;
    }
    void set_frame(int f) override { frame = f; }

    int x = 0;
    int y = 0;
    int depth = 0;
    int frame = -1;
};

// Builds the composed sprite of an actor on a layer. The default factory
// makes NullActorSprite objects.
using ActorSpriteFactory = std::function<std::unique_ptr<ActorSprite>(const Actor& actor, Layer* layer)>;
void set_actor_sprite_factory(ActorSpriteFactory factory);
std::unique_ptr<ActorSprite> make_actor_sprite(const Actor& actor, Layer* layer);
