// The one pending screen transition of the game: a fade in or out, after
// which the current state is called back through on_event with the kind and
// the two parameters it asked for.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

class FadeControl;
class GameState;

enum TransitionType : int32_t {
    kTransitionNone = 0,
    kTransitionFadeIn = 1,
    kTransitionFadeOut = 2,       // main fade layer, one step a tick
    kTransitionFadeOutUpper = 3,  // upper fade layer, two steps a tick
};

// Codes of the on_event calls a transition makes.
enum TransitionEventCode : int {
    kEventFadedIn = 1,
    kEventFadedOut = 2,
    kEventFadeStep = 4,
};

// What the walking state does when a fade ends.
enum TransitionKind : int32_t {
    kTransitionChangeLevel = 1,
    kTransitionQuit = 3,
    kTransitionCombat = 4,
};

struct TransitionEvent {
    int32_t type = kTransitionNone;
    int32_t kind = 0;
    uint32_t a = 0;  // a level id, a monster's index, ...
    uint32_t b = 0;  // a packed tile position x + 65536 * y, ...
};

class TransitionRunner {
public:
    // Replaces the pending event (type 0 clears it); a running fade goes on
    // from its present level.
    void post(int32_t type, int32_t kind, uint32_t a, uint32_t b) { event_ = {type, kind, a, b}; }
    const TransitionEvent& pending() const { return event_; }

    // One step, on the scene's animation tick. `walking` is the state that
    // carries level changes and combat starts: when a fade-out for one of
    // those ends under another state that does not take it, the event waits
    // until `walking` is current, so the screen never stays dark.
    void step(GameState* current, GameState* walking, FadeControl& main_fade, FadeControl& upper_fade,
              const std::function<void()>& draw_frame);

    bool has_deferred() const { return deferred_.has_value(); }
    void clear() {
        event_ = {};
        deferred_.reset();
    }

private:
    void deliver_end(GameState* current, int code, const TransitionEvent& ended);

    TransitionEvent event_;
    std::optional<std::pair<int, TransitionEvent>> deferred_;  // code, event
};
