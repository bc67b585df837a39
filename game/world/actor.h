// A character of the map: position, 40-step facing, sprite, movement and the
// five attributes. The hero, people and monsters derive from it; combat sees
// hero and monster through the one virtual interface below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/geometry.h"
#include "engine/core/memory_pool.h"
#include "game/world/actor_sprite.h"

class Layer;
class World;
struct ItemRecord;
struct MapLevel;

// One carried item and the uses it has left.
struct InventoryEntry {
    ItemRecord* item = nullptr;
    int32_t uses = 0;
};

// Entries are held by pointer so that the current item, the worn armour and
// shield stay valid while the list changes around them.
using Inventory = std::vector<std::unique_ptr<InventoryEntry>>;

struct PathNode {
    uint16_t x = 0;  // tile
    uint16_t y = 0;
};

// Facing 0 west, 10 north, 20 east, 30 south; -1 for a zero vector.
int facing_from_vector(int dx, int dy);
// The sprite frame for a facing and animation counter; standing sprites
// have one frame a direction.
int walk_frame(int facing, int animation, bool animated);

class Actor : public PoolObject {
public:
    static constexpr int kFacings = 40;
    static constexpr int kDefaultFacing = 30;
    static constexpr int kSpriteDepthBase = 1002;

    Actor(World* world, bool controlled);
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;
    virtual ~Actor();

    // --- the virtual interface (combat uses it for hero and monster) --------
    virtual void update();
    // Level and attributes from a record; hit points = level x 15 + 25.
    virtual void init_from_record(int32_t level, int32_t dexterity, int32_t strength, int32_t knowledge,
                                  int32_t defence, int32_t resistance);
    virtual void init_stats(int32_t level, int32_t dexterity, int32_t strength, int32_t knowledge, int32_t defence,
                            int32_t resistance, int32_t spare, int32_t attack_kind);
    virtual int32_t dexterity() const { return dexterity_ + dexterity_bonus; }
    virtual int32_t strength() const { return strength_; }
    virtual int32_t defence() const { return defence_ + defence_bonus; }
    virtual int32_t knowledge() const { return knowledge_; }
    virtual int32_t resistance() const { return resistance_ + resistance_bonus; }
    virtual int32_t attack_kind() const { return attack_kind_; }
    virtual void heal(int32_t) {}
    virtual void raise_dexterity(int32_t) {}
    virtual void raise_strength(int32_t) {}
    virtual void raise_defence(int32_t) {}
    virtual void raise_knowledge(int32_t) {}
    virtual void raise_resistance(int32_t) {}
    virtual void take_damage(int32_t amount, bool physical);
    // True when the entry ran out and was removed.
    virtual bool use_up_item(InventoryEntry* entry);
    virtual bool can_use_magic(const ItemRecord& item) const;

    // --- placement and sprite ----------------------------------------------
    void place(uint32_t level_id, int x, int y, int facing);
    void attach_sprite_at(Layer* layer, int x, int y, MapLevel* level);
    void attach_sprite(Layer* layer, MapLevel* level);
    void detach_sprite();
    ActorSprite* sprite() const { return sprite_.get(); }

    // --- movement ------------------------------------------------------------
    // True when already facing the target; otherwise one step of turning.
    bool turn_toward(int facing);
    enum StepResult { kArrived = 0, kTurning = 1, kNoProgress = 2, kMoved = 3 };
    int step_toward(int x, int y, bool move);
    // One pixel along an axis, side-stepping around an obstacle. True when a
    // side step was taken.
    bool move_with_collision(int dx, int dy);
    // 16.16 distance between the actors' positions.
    int32_t distance_to(Point p) const;
    // Whether the character may not stand with its centre at (px, py).
    bool blocked_at(int px, int py) const;
    Point position() const { return {x, y}; }
    // The name of the region whose level the character stands on; empty on none.
    std::string region_name() const;
    // Shows the frame of the current facing and counter.
    void show_frame();

    // --- state -----------------------------------------------------------------
    int x = 0;
    int y = 0;
    int facing = kDefaultFacing;
    int animation = 0;
    int next_step = 0;  // movement accumulator; goes negative
    int behaviour = 0;  // the record's stance
    bool hostile = false;

    int32_t premade = 0;
    int32_t body = 0;
    int32_t head = 0;
    int32_t hair = 0;

    int home_x = 0;
    int home_y = 0;
    int wander_x = 0;
    int wander_y = 0;
    int wander_state = 0;
    int drift_offset = 0;

    InventoryEntry* current_item = nullptr;
    std::vector<PathNode> path;
    int path_stalls = 0;

    bool approaching = false;
    int near_hero = 0;
    bool controlled = true;
    bool running = false;
    bool animated = true;
    // Set by the walking state before each update: the sprite blocks around
    // the character are built, so collisions can be trusted.
    bool surroundings_built = true;
    int frame_count = 0;

    MapLevel* level = nullptr;
    uint32_t level_id = 0;
    World* world = nullptr;

    int32_t dexterity_ = 0;
    int32_t strength_ = 0;
    int32_t knowledge_ = 0;
    int32_t defence_ = 0;
    int32_t resistance_ = 0;
    int32_t hit_points = 0;
    int32_t level_number = 1;
    int32_t spare = 0;
    int32_t attack_kind_ = 0;
    int32_t dexterity_bonus = 0;
    int32_t defence_bonus = 0;
    int32_t resistance_bonus = 0;

    Inventory inventory;

    static int32_t hit_points_for_level(int32_t level) { return level * 15 + 25; }

    // Index of the entry in the inventory, -1 when it is not there.
    int item_index(const InventoryEntry* entry) const;
    void remove_entry(const InventoryEntry* entry);

protected:
    virtual void forget_entry(const InventoryEntry*) {}

private:
    // Both initialisers' common part: hit points follow the level.
    void set_level_and_attributes(int32_t level, int32_t dexterity, int32_t strength, int32_t knowledge,
                                  int32_t defence, int32_t resistance);
    void walk_path();
    void walk_at(Point target) { step_toward(target.x, target.y, true); }
    void face_point(Point target);
    void step_away_from(Point from);
    void wander(const Actor& hero, int distance, bool near);
    bool draw_wander_target();
    void pace(const Actor& hero, int distance, bool near);
    void keep_company(const Actor& hero, int distance);
    void drift(const Actor& hero, int distance, bool near);

    Layer* layer_ = nullptr;
    std::unique_ptr<ActorSprite> sprite_;
};
