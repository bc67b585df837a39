// The effect types' common face. The action player starts an effect by
// reading its file and asking make_effect_object for the type's object, then
// steps it once a frame: `step` while the effect runs, `step_ending` once its
// duration is over or it was stopped. The answer tells the player whether the
// effect goes on, asks to move to its ending, or is done (then the player
// deletes the object).
//
// A type object owns the sprites it adds (copies, particles, flying sprites)
// and puts its target back in its destructor: alpha, hidden bit, place and
// depth. So an action removed in the middle of an effect leaves no invisible
// or displaced sprite behind.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/geometry.h"

class EffectFile;
class Sprite;
class SpriteGroup;

// What an effect acts on. Nothing here is owned by the effect.
struct EffectTarget {
    Sprite* sprite = nullptr;      // the action's first or second sprite; may be null
    Point reference{0, 0};         // that sprite's reference point
    bool anchored = false;         // the caller's anchor replaces the reference point
    Point anchor{0, 0};
    SpriteGroup* scene = nullptr;  // the action's group: a shake moves all of its sprites
    SpriteGroup* layer = nullptr;  // the effect layer: particles, copies and flying sprites
    Size layer_size{0, 0};         // the effect layer's size (the display's, for the flash)

    // Where a type centres itself: the anchor when anchored, else the reference point.
    Point origin() const { return anchored ? anchor : reference; }
};

enum class EffectProgress {
    kRunning,  // go on
    kEnding,   // the type reached its own end of running: move to the ending state
    kDone,     // finished: the player frees the object
};

class EffectObject {
public:
    virtual ~EffectObject() = default;
    // One frame while the effect runs.
    virtual EffectProgress step(EffectTarget& target) = 0;
    // One frame once the effect is ending.
    virtual EffectProgress step_ending(EffectTarget& target) = 0;
};

// Creates the object of `type` with the parameters of `file`; nullptr for a
// type outside 0..18 (the effect then finishes at once).
std::unique_ptr<EffectObject> make_effect_object(int32_t type, EffectFile& file, EffectTarget& target);
