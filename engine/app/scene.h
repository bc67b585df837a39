// A named top-level screen ("Load" while the game starts, "Game" afterwards):
// the layers drawn for it, its screen-sized dirty region, two tick periods
// with their due stamps, the held-key mask and the registry of named game
// states of which one is current. The frame loop drives the current scene.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/app/input_kind.h"
#include "engine/app/screen_argument.h"
#include "engine/core/memory_pool.h"

class Display;
class DirtyRegion;
class GameState;
class Layer;
class SceneManager;
struct DrawTarget;

class Scene : public PoolObject {
public:
    Scene(Display* display, std::string_view name);
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // --- Operations a scene may override (defaults do nothing) -----------
    virtual void enter(ScreenArgument argument) { (void)argument; }
    virtual void leave() {}
    virtual void pre_render() {}
    virtual void post_render() {}
    virtual void update() {}   // each logic tick
    virtual void animate() {}  // each animation tick
    virtual void idle() {}     // between messages while `idle_pump` is set
    virtual void on_pointer(int kind, int32_t x, int32_t y) { (void)kind, (void)x, (void)y; }
    virtual void on_key(int kind, uint32_t game_key, uint32_t key_code) { (void)kind, (void)game_key, (void)key_code; }

    // --- Game states ----------------------------------------------------
    // The scene takes ownership; the state gets the name and this owner.
    void add_state(std::string_view name, GameState* state);
    // Leaves the current state; then, unless `name` is null, enters the
    // first state of exactly that name (case matters). An unknown name
    // leaves no current state. Either way both tick clocks restart.
    void switch_state(const char* name, ScreenArgument argument);
    GameState* current_state() const { return current_state_; }
    const std::vector<GameState*>& states() const { return states_; }

    // --- Keys -----------------------------------------------------------
    // Kind 1 (down) sets the game key's bit in the key mask, others clear it.
    void set_key_state(int kind, uint32_t game_key, uint32_t key_code);
    uint32_t key_mask() const { return key_mask_; }
    // Forgets every held key (a new level starts with none held).
    void clear_held_keys() { key_mask_ = 0; }

    // --- Layers and the screen (drawing belongs to the graphics module) --
    Layer* create_layer();
    void draw_layers(DrawTarget& target);
    void clear_layer_dirty();
    bool has_layers() const { return !layers_.empty(); }
    Layer* first_layer() const { return layers_.empty() ? nullptr : layers_.front(); }
    const std::vector<Layer*>& layers() const { return layers_; }
    // Every cell of the screen region dirty (the window's background erased).
    void mark_screen_dirty();
    // The first layer redrawn whole (focus regained).
    void invalidate_first_layer();
    // The first layer and the display redrawn whole (the window was exposed).
    void repaint_all();
    DirtyRegion* screen_region() const { return screen_region_; }
    Display* display() const { return display_; }

    const std::string& name() const { return name_; }
    SceneManager* owner() const { return owner_; }

    // Read and written by the frame loop.
    uint32_t logic_period = 100;      // ms between update() calls
    uint32_t animation_period = 100;  // ms between animate() calls
    uint32_t logic_due = 0;           // next due tick count of update(); 0 = unset
    uint32_t animation_due = 0;       // the same for animate()
    bool idle_pump = false;   // the message loop calls idle() between messages

private:
    friend class SceneManager;  // sets the owner on add
    void create_screen_region();
    void destroy_graphics();

    Display* display_;
    std::string name_;
    uint32_t key_mask_ = 0;
    std::vector<Layer*> layers_;  // owned, in depth order
    DirtyRegion* screen_region_ = nullptr;
    SceneManager* owner_ = nullptr;
    std::vector<GameState*> states_;  // owned
    GameState* current_state_ = nullptr;
};

// The scene that receives ticks, input and rendering; null when none.
extern Scene* g_current_scene;

// The bit of a game key in a scene's key mask: 0..19 give bits 0..19, 21
// gives bit 21, 24..29 give bits 22..27; every other key gives 0.
uint32_t game_key_mask(uint32_t game_key);
