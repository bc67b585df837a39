// One running combat action: what its script asked for (animations, sounds,
// special effects, the frame at which the caller shows the result) and how
// far it has got. The action player owns these records; the sprites and the
// group belong to the combat screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/geometry.h"
#include "game/effects/effect_object.h"

class Sprite;
class SpriteGroup;

// The play flags of a script line, and of the action as started: a line is
// taken when its flags are exactly kPlayAlways or hold every bit the action
// was started with (so an action started with 0 takes every line).
inline constexpr int32_t kPlayAlways = 1;
inline constexpr int32_t kPlaySmallDamage = 2;
inline constexpr int32_t kPlayBigDamage = 4;
inline constexpr int32_t kPlayMonsterBigDamage = 8;

inline bool line_is_played(int32_t line_flags, int32_t action_flags) {
    return line_flags == kPlayAlways || (line_flags & action_flags) == action_flags;
}

// Which of the action's two sprites an element plays on.
inline constexpr int32_t kOnSprite1 = 0;
inline constexpr int32_t kOnSprite2 = 1;

// Element states.
inline constexpr int32_t kElementWaiting = 0;
inline constexpr int32_t kElementPlaying = 1;
inline constexpr int32_t kEffectEnding = 100;
inline constexpr int32_t kElementDone = 200;

struct ActionAnimation {
    int32_t sprite = kOnSprite1;  // 0 the first sprite, anything else the second
    int32_t state = kElementWaiting;
    int32_t start_frame = 0;
    std::string name;  // an animation of the sprite's definition; "none" plays nothing
};

struct ActionSound {
    int32_t start_frame = 0;
    int32_t state = kElementPlaying;  // sounds wait in state 1 until played
    int32_t volume = 0;               // 0..255
    std::u16string file;              // "none" plays nothing
};

// A special effect line and, once started, its running effect: the type's
// object (null for a type the player does not know) and what it acts on. A
// negative duration counts turns instead of frames (end_looping_effects).
struct ActionEffect {
    int32_t sprite = kOnSprite1;
    int32_t start_frame = 0;
    int32_t duration = 0;
    std::string name;  // the effect file; "none" for none
    bool anchored = false;
    Point anchor{0, 0};  // where an anchored effect is placed; -1, -1 is no anchor
    int32_t state = kElementWaiting;
    int32_t type = -1;        // read from the effect file when it starts
    int32_t frames_run = 0;   // frames stepped while running, and while ending
    int32_t frames_ending = 0;
    std::unique_ptr<EffectObject> object;
    EffectTarget target;
};

struct CombatAction {
    int32_t frame = 0;  // frames processed so far
    Point sprite1_ref{0, 0};
    Point sprite2_ref{0, 0};
    int32_t id = 0;
    std::vector<ActionEffect> effects;
    int32_t mode = 0;         // non-zero: modal, the scene is dimmed while it runs
    int32_t show_frame = 20;  // the frame at which the caller shows the result
    std::vector<ActionAnimation> animations;
    std::vector<ActionSound> sounds;
    Sprite* sprite1 = nullptr;  // not owned; either may be null
    Sprite* sprite2 = nullptr;
    SpriteGroup* group = nullptr;

    Sprite* sprite(int32_t which) const { return which == kOnSprite1 ? sprite1 : sprite2; }
    // The latest start frame of its animations (0 without any).
    int32_t last_animation_start() const;
    // Whether either sprite still runs an animation.
    bool sprites_animating() const;
};
