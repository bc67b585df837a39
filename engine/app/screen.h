// One screen of the running game ("Walking", "Menu", "Combat", ...): a named
// object registered with a scene, entered and left by name, and driven by the
// scene's two fixed-rate ticks and by input. The defaults do nothing.
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/input_kind.h"
#include "engine/app/screen_argument.h"
#include "engine/core/memory_pool.h"

class Scene;

class GameState : public PoolObject {
public:
    virtual ~GameState() = default;

    // The argument is a number or a pointer, depending on the state.
    virtual void enter(ScreenArgument argument) { (void)argument; }
    virtual void leave() {}
    // After the scene's logic tick.
    virtual void update() {}
    // After the scene's animation tick.
    virtual void animate() {}
    // kPenMove, kPenDown or kPenUp; screen pixels.
    virtual void on_pointer(int kind, int32_t x, int32_t y) { (void)kind, (void)x, (void)y; }
    // kKeyPress or kKeyRelease; the game key and the device key code.
    virtual void on_key(int kind, uint32_t game_key, uint32_t key_code) {
        (void)kind, (void)game_key, (void)key_code;
    }
    // Transition callbacks and other game events; the default handles none.
    virtual int on_event(int code, int kind, uint32_t a, uint32_t b) {
        (void)code, (void)kind, (void)a, (void)b;
        return 0;
    }

    const std::string& name() const { return name_; }
    Scene* owner() const { return owner_; }

private:
    friend class Scene;  // Scene::add_state names and owns the state
    std::string name_;
    Scene* owner_ = nullptr;
};
