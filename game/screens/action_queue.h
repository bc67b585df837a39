// The game's queue of story actions waiting to run (queued by triggers,
// people's topics and combat rewards). It points at actions owned by their
// records and never frees one.
#pragma once

#include <deque>

struct Action;

class ActionQueue {
public:
    void push(Action* action) { actions_.push_back(action); }
    // The oldest action, removed; null when empty.
    Action* pop() {
        if (actions_.empty()) return nullptr;
        Action* front = actions_.front();
        actions_.pop_front();
        return front;
    }
    Action* peek() const { return actions_.empty() ? nullptr : actions_.front(); }
    bool empty() const { return actions_.empty(); }
    size_t size() const { return actions_.size(); }
    // A new game, a load or the end of a game drops what an abandoned game
    // left behind.
    void clear() { actions_.clear(); }

private:
    std::deque<Action*> actions_;
};
