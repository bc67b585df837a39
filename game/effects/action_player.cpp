#include "game/effects/action_player.h"

#include <algorithm>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_flags.h"
#include "game/effects/action_script.h"
#include "game/effects/effect_file.h"
#include "game/sound/sound_manager.h"

namespace {

constexpr std::string_view kNone = "none";
constexpr std::u16string_view kNoSound = u"none";

// The point effects on a sprite start from: the top-left corner of its
// frame, found from its anchor the way the sprite itself is placed.
Point reference_point(const Sprite& sprite) {
    Point p{sprite.x, sprite.y};
    if (sprite.flags & GRAB_RIGHT) p.x -= sprite.frame_width;
    else if (sprite.flags & GRAB_HCENTER) p.x -= sprite.frame_width / 2;
    if (sprite.flags & GRAB_BOTTOM) p.y -= sprite.frame_height;
    else if (sprite.flags & GRAB_VCENTER) p.y -= sprite.frame_height / 2;
    return p;
}

bool animating(const Sprite* sprite) { return sprite && sprite->current_animation >= 0; }

// An action waits for its sprites' animations, but not for ever: a looping
// one would keep it, and the combat waiting on it, alive.
bool waits_for_sprites(const CombatAction& action) {
    return action.sprites_animating() &&
           int64_t(action.frame) <= int64_t(action.last_animation_start()) + ActionPlayer::kFrameGuard;
}

bool effect_running(const ActionEffect& effect) {
    return effect.state >= kElementPlaying && effect.state < kElementDone;
}

}  // namespace

int32_t CombatAction::last_animation_start() const {
    int32_t last = 0;
    for (const ActionAnimation& a : animations) last = std::max(last, a.start_frame);
    return last;
}

bool CombatAction::sprites_animating() const { return animating(sprite1) || animating(sprite2); }

ActionPlayer::ActionPlayer(SoundManager* sounds) : sounds_(sounds) {}

ActionPlayer::~ActionPlayer() {
    while (!actions_.empty()) remove_action(running_count() - 1);
    delete_effect_layer();
}

int32_t ActionPlayer::load_action(std::string_view name, SpriteGroup* group, Sprite* sprite1, Sprite* sprite2,
                                  int32_t flags, int32_t mode, int32_t weapon_kind, int32_t anchor_x,
                                  int32_t anchor_y) {
    CombatAction action;
    action.sprite1 = sprite1;
    action.sprite2 = sprite2;
    action.group = group;
    action.id = ++id_counter_;
    action.mode = mode;
    action.show_frame = kDefaultShowFrame;
    // A missing script leaves the action empty: it ends after its first frame.
    read_action_script(action, name, ActionStart{flags, weapon_kind, {anchor_x, anchor_y}});
    if (mode != 0) ++modal_count_;
    if (sprite1) action.sprite1_ref = reference_point(*sprite1);
    if (sprite2) action.sprite2_ref = reference_point(*sprite2);
    make_effect_layer(group);
    actions_.push_back(std::move(action));
    return actions_.back().id;
}

int32_t ActionPlayer::find_action(int32_t id) const {
    for (size_t i = 0; i < actions_.size(); ++i)
        if (actions_[i].id == id) return int32_t(i);
    return -1;
}

bool ActionPlayer::is_at_last_frame(int32_t id) const {
    const int32_t index = find_action(id);
    return index >= 0 && actions_[size_t(index)].frame == actions_[size_t(index)].show_frame;
}

bool ActionPlayer::is_action_finished(int32_t id) const {
    const int32_t index = find_action(id);
    if (index < 0) return true;
    const CombatAction& action = actions_[size_t(index)];
    // Effects that last by turns go on after the action counts as finished.
    const bool only_turn_effects = std::all_of(action.effects.begin(), action.effects.end(),
                                               [](const ActionEffect& e) { return e.duration < 0; });
    return only_turn_effects && action.frame > action.last_animation_start() && !waits_for_sprites(action);
}

void ActionPlayer::remove_action(int32_t index) {
    if (index < 0 || index >= running_count()) return;
    // The overlay's destruction may have reset the count already.
    if (actions_[size_t(index)].mode != 0 && modal_count_ > 0) --modal_count_;
    actions_.erase(actions_.begin() + index);
}

bool ActionPlayer::remove_action_by_id(int32_t id) {
    const int32_t index = find_action(id);
    if (index < 0) return false;
    remove_action(index);
    return true;
}

void ActionPlayer::end_looping_effects() {
    for (CombatAction& action : actions_)
        for (ActionEffect& effect : action.effects) {
            if (effect.duration >= 0 || effect.state >= kEffectEnding) continue;
            if (++effect.duration != 0) continue;
            // One whose turns ran out before its start frame never plays.
            if (effect.state == kElementWaiting) effect.state = kElementDone;
            else effect.state = kEffectEnding;
        }
}

ActionEffect* ActionPlayer::effect_at(int32_t action, int32_t index) {
    if (action < 0 || action >= running_count()) return nullptr;
    std::vector<ActionEffect>& effects = actions_[size_t(action)].effects;
    return index >= 0 && size_t(index) < effects.size() ? &effects[size_t(index)] : nullptr;
}

void ActionPlayer::load_effect(int32_t action, int32_t index) {
    if (ActionEffect* effect = effect_at(action, index)) load_effect(actions_[size_t(action)], *effect);
}

void ActionPlayer::step_effect(int32_t action, int32_t index) {
    if (ActionEffect* effect = effect_at(action, index)) step_effect(*effect);
}

void ActionPlayer::stop_effect(int32_t action, int32_t index) {
    if (ActionEffect* effect = effect_at(action, index)) effect->state = std::max(effect->state, kEffectEnding);
}

void ActionPlayer::free_effect(int32_t action, int32_t index) {
    if (ActionEffect* effect = effect_at(action, index)) free_effect(*effect);
}

void ActionPlayer::load_effect(CombatAction& action, ActionEffect& effect) {
    effect.state = kElementPlaying;
    effect.frames_run = effect.frames_ending = 0;
    EffectFile file;
    // "none", and a file that is not there, cost only their picture.
    if (effect.name == kNone || !file.load(effect.name)) {
        effect.state = kElementDone;
        return;
    }
    effect.type = file.type();
    EffectTarget& target = effect.target;
    target.sprite = action.sprite(effect.sprite);
    target.reference = effect.sprite == kOnSprite1 ? action.sprite1_ref : action.sprite2_ref;
    // Actions started without an anchor pass -1, -1.
    target.anchored = effect.anchored && !(effect.anchor.x == -1 && effect.anchor.y == -1);
    target.anchor = effect.anchor;
    target.scene = action.group;
    target.layer = effect_layer_;
    target.layer_size = effect_layer_ ? effect_layer_->size() : Size{0, 0};
    effect.object = make_effect_object(effect.type, file, target);
    if (!effect.object) effect.state = kElementDone;  // a type outside the known ones
}

void ActionPlayer::step_effect(ActionEffect& effect) {
    if (!effect_running(effect)) return;
    if (!effect.object) {
        effect.state = kElementDone;
        return;
    }
    const EffectProgress progress = effect.state >= kEffectEnding ? effect.object->step_ending(effect.target)
                                                                  : effect.object->step(effect.target);
    if (progress == EffectProgress::kEnding) effect.state = std::max(effect.state, kEffectEnding);
    if (progress == EffectProgress::kDone) free_effect(effect);
}

void ActionPlayer::free_effect(ActionEffect& effect) {
    // The object's destructor puts its target back and removes its sprites.
    effect.object.reset();
    if (effect.state != kElementWaiting) effect.state = kElementDone;
}

void ActionPlayer::make_effect_layer(SpriteGroup* group) {
    if (effect_layer_) return;
    effect_layer_ = new SpriteGroup;
    Layer* display = group ? group->layer() : nullptr;
    if (display) {
        const Point at = group->position();
        const Size size = group->size();
        display->add_at(effect_layer_, at.x, at.y, size.width, size.height, kEffectLayerDepth);
        effect_display_ = display;
    } else if (group) {
        effect_layer_->set_size(group->size().width, group->size().height);
    }
}

void ActionPlayer::delete_effect_layer() {
    if (!effect_layer_) return;
    // Effects still running have sprites in the layer: they end first.
    for (CombatAction& action : actions_)
        for (ActionEffect& effect : action.effects)
            if (effect.object) free_effect(effect);
    if (effect_display_) effect_display_->remove(effect_layer_);
    else delete effect_layer_;
    effect_layer_ = nullptr;
    effect_display_ = nullptr;
}

void ActionPlayer::update() {
    if (step_overlay()) return;
    // An action that ends is removed at once; the ones after it move down
    // and are still stepped once in this frame.
    for (size_t i = 0; i < actions_.size();) {
        if (step_action(actions_[i])) ++i;
        else remove_action(int32_t(i));
    }
}

bool ActionPlayer::step_overlay() {
    if (!overlay_) return false;
    const bool dim = modal_count_ > 0 && overlay_->alpha < overlay_target_alpha_;
    const bool brighten = modal_count_ == 0 && overlay_->alpha > 0;
    if (!dim && !brighten) return false;
    if (overlay_delay_ > 0 && --overlay_delay_ > 0) return true;
    overlay_->set_alpha(overlay_->alpha + (dim ? 1 : -1));
    overlay_delay_ = 1;
    return true;
}

bool ActionPlayer::step_action(CombatAction& action) {
    step_effects(action);
    step_animations(action);
    step_sounds(action);
    const bool ended =
        action.frame > action.last_animation_start() && !waits_for_sprites(action) &&
        std::all_of(action.effects.begin(), action.effects.end(),
                    [](const ActionEffect& e) { return e.state == kElementDone; }) &&
        std::all_of(action.sounds.begin(), action.sounds.end(),
                    [](const ActionSound& s) { return s.state == kElementDone; });
    ++action.frame;
    return !ended;
}

void ActionPlayer::step_effects(CombatAction& action) {
    for (ActionEffect& effect : action.effects) {
        if (effect.state == kElementWaiting && effect.start_frame == action.frame) load_effect(action, effect);
        // A start frame before the action's first is never reached.
        if (effect.state == kElementWaiting && effect.start_frame < action.frame) effect.state = kElementDone;
        if (!effect_running(effect)) continue;
        const bool turn_bound = effect.duration < 0;
        if (!turn_bound && int64_t(effect.start_frame) + effect.duration == action.frame)
            effect.state = std::max(effect.state, kEffectEnding);
        // Nothing runs for ever: not a running effect that is not turn-bound,
        // and not one that never finishes its ending.
        const bool ending = effect.state >= kEffectEnding;
        const int32_t frames = ending ? ++effect.frames_ending : ++effect.frames_run;
        if ((ending || !turn_bound) && frames > kFrameGuard) {
            free_effect(effect);
            continue;
        }
        step_effect(effect);
    }
}

void ActionPlayer::step_animations(CombatAction& action) {
    for (ActionAnimation& animation : action.animations) {
        Sprite* sprite = action.sprite(animation.sprite);
        if (animation.start_frame == action.frame && animation.state == kElementWaiting) {
            if (sprite && animation.name != kNone) sprite->set_animation(animation.name);
            animation.state = kElementPlaying;
        }
        if (animation.state != kElementPlaying) continue;
        if (!sprite || int64_t(action.frame) - animation.start_frame >= kFrameGuard) {
            animation.state = kElementDone;
            continue;
        }
        sprite->animate();
        sprite->invalidate();
        if (!animating(sprite)) animation.state = kElementDone;
    }
}

void ActionPlayer::step_sounds(CombatAction& action) {
    for (ActionSound& sound : action.sounds) {
        if (sound.state == kElementDone) continue;
        // A start frame before the action's first is never reached: the
        // sound is skipped rather than kept waiting for ever.
        if (sound.start_frame < action.frame) sound.state = kElementDone;
        if (sound.start_frame != action.frame) continue;
        if (sounds_ && sound.file != kNoSound) sounds_->play_sound(sound.file, sound.volume, -1, false);
        sound.state = kElementDone;
    }
}

void ActionPlayer::create_overlay(SpriteGroup* group, int32_t target_alpha) {
    destroy_overlay();
    if (!group) return;
    overlay_group_ = group;
    overlay_target_alpha_ = target_alpha;
    modal_count_ = 0;
    overlay_delay_ = 0;
    auto* sprite = new Sprite;
    sprite->create_blank(group->size().width, group->size().height);
    sprite->assign_flags(ALPHA_LAYER);
    sprite->alpha = 0;
    group->add_sprite(sprite, 0, 0, 0, 0, 0, 0);
    overlay_ = sprite;
}

void ActionPlayer::destroy_overlay() {
    if (overlay_ && overlay_group_) overlay_group_->remove_sprite(overlay_);
    overlay_ = nullptr;
    overlay_group_ = nullptr;
    // Nothing is dimmed any more, so no running action waits for it.
    modal_count_ = 0;
}

void ActionPlayer::detach_layer() { delete_effect_layer(); }
