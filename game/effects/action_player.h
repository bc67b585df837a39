// Plays the scripted actions that show a fight: each action is a key file
// "actions/<name>.txt" whose lines start sprite animations, sounds and special
// effects at given frames of the action, and name the frame at which the
// caller shows the attack's result ("ShowResult"). The player runs every
// action one frame per logic tick and removes an action once everything in
// it has played. It also owns the dimming overlay that darkens the combat
// scene while modal actions run: they wait until the scene is dimmed, and it
// brightens again after the last one ended.
//
// Special effects start at their start frame, read their file
// ("effects/<name>.txt"), run one step a frame and end when their duration
// is over and their type has played out. Their sprites go into the effect
// layer, a group the player adds at depth 9999 to the display that holds the
// first action's group, with that group's place and size. Nothing an action
// plays can keep it running for ever: an effect of an unknown type ends at
// once, and an animation or an effect that is not turn-bound and still runs
// after kFrameGuard frames is ended.
//
// The player never owns the sprites an action plays on: whoever deletes
// them removes the actions that use them first (remove_action_by_id).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/core/memory_pool.h"
#include "game/effects/combat_action.h"

class Layer;
class SoundManager;
class Sprite;
class SpriteGroup;

class ActionPlayer : public PoolObject {
public:
    static constexpr int32_t kDefaultShowFrame = 20;
    // The weapon kinds whose hurt and return animations ("Damage", "Back")
    // carry a digit; -1 passes the names as they stand.
    static constexpr int32_t kNoWeaponKind = -1;
    // Frames after which a running element that is not turn-bound is ended.
    static constexpr int32_t kFrameGuard = 1000;
    static constexpr uint32_t kEffectLayerDepth = 9999;

    // Sounds go through `sounds`; without one they are skipped.
    explicit ActionPlayer(SoundManager* sounds);
    // Removes every running action. The overlay sprite stays with its group.
    ~ActionPlayer();
    ActionPlayer(const ActionPlayer&) = delete;
    ActionPlayer& operator=(const ActionPlayer&) = delete;

    // Reads "actions/<name>.txt" and starts the action; returns its id (ids
    // count from 1). `flags` chooses the script lines (see line_is_played);
    // a non-zero `mode` makes the action modal. A missing script gives an
    // action with nothing in it, which ends after its first frame.
    // `weapon_kind` (0..3, 5, or -1) adds a digit to "Damage" and "Back" on
    // the second sprite; `anchor_x`, `anchor_y` place anchored effects.
    int32_t load_action(std::string_view name, SpriteGroup* group, Sprite* sprite1, Sprite* sprite2,
                        int32_t flags, int32_t mode, int32_t weapon_kind, int32_t anchor_x, int32_t anchor_y);

    // True while the action's frame equals its show frame (for exactly one
    // update); false for an unknown id.
    bool is_at_last_frame(int32_t id) const;
    // True when no action has the id, or when all of its animations have
    // started and ended and only turn-bound effects remain.
    bool is_action_finished(int32_t id) const;
    // Index of the running action with the id, -1 when none.
    int32_t find_action(int32_t id) const;
    // Removes the action at the index; an index out of range (-1 included)
    // does nothing.
    void remove_action(int32_t index);
    // Removes the action with the id; false (nothing done) when none has it.
    bool remove_action_by_id(int32_t id);

    // Counts down the turn-bound effects (negative durations) that have not
    // ended yet by one turn; one that reaches 0 ends: a running one goes on
    // to its ending, one that has not started yet finishes without playing.
    void end_looping_effects();

    // The effect elements of the action at `action`: start one (reading its
    // file), step it once, move it to its ending, free its type's objects.
    void load_effect(int32_t action, int32_t index);
    void step_effect(int32_t action, int32_t index);
    void stop_effect(int32_t action, int32_t index);
    void free_effect(int32_t action, int32_t index);
    // One frame: the overlay's fade step, or else one step of every running
    // action, removing those that have ended.
    void update();

    // The dimming overlay: a black sprite the size of `group` at 0, 0, depth
    // 0, alpha 0, faded toward `target_alpha` while modal actions run.
    // Replaces an overlay made before.
    void create_overlay(SpriteGroup* group, int32_t target_alpha);
    // Deletes the overlay sprite (call it before its group is deleted);
    // afterwards no update touches it and no action waits for the dimming.
    void destroy_overlay();
    // Deletes the effect layer (ending the effects still in it), so that the
    // next action makes a new one in the display of its own group.
    void detach_layer();

    int32_t running_count() const { return int32_t(actions_.size()); }
    const CombatAction& action(int32_t index) const { return actions_[size_t(index)]; }
    int32_t modal_count() const { return modal_count_; }
    Sprite* overlay() const { return overlay_; }
    SpriteGroup* effect_layer() const { return effect_layer_; }

private:
    // One fade step of the overlay; true when the frame ends there.
    bool step_overlay();
    // One frame of the action; false when it has ended.
    bool step_action(CombatAction& action);
    void step_effects(CombatAction& action);
    void step_animations(CombatAction& action);
    void step_sounds(CombatAction& action);
    // The effect at `index` of the action at `action`; null when either is
    // out of range.
    ActionEffect* effect_at(int32_t action, int32_t index);
    void load_effect(CombatAction& action, ActionEffect& effect);
    void step_effect(ActionEffect& effect);
    static void free_effect(ActionEffect& effect);
    // Makes the effect layer for an action on `group` when there is none.
    void make_effect_layer(SpriteGroup* group);
    void delete_effect_layer();

    std::vector<CombatAction> actions_;
    Sprite* overlay_ = nullptr;
    SoundManager* sounds_ = nullptr;
    int32_t id_counter_ = 0;
    int32_t modal_count_ = 0;
    int32_t overlay_delay_ = 0;
    int32_t overlay_target_alpha_ = 0;
    SpriteGroup* overlay_group_ = nullptr;
    SpriteGroup* effect_layer_ = nullptr;
    // The display the effect layer is in; null while the player owns a
    // layer of its own (for actions on a group outside any display).
    Layer* effect_display_ = nullptr;
};
