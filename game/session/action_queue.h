// The game's queue of story actions waiting to run (queued by triggers,
// people's topics and combat rewards). The actions belong to their records;
// the queue shares them, because a level change drops the trigger file and
// the people of the level while later actions of the same list still wait.
#pragma once

#include <deque>
#include <memory>

struct Action;

class ActionQueue {
public:
    void push(std::shared_ptr<Action> action) { actions_.push_back(std::move(action)); }
    // The oldest action, removed; null when empty.
    std::shared_ptr<Action> pop() {
        if (actions_.empty()) return nullptr;
        std::shared_ptr<Action> front = std::move(actions_.front());
        actions_.pop_front();
        return front;
    }
    Action* peek() const { return actions_.empty() ? nullptr : actions_.front().get(); }
    bool empty() const { return actions_.empty(); }
    size_t size() const { return actions_.size(); }
    // A new game, a load or the end of a game drops what an abandoned game
    // left behind.
    void clear() { actions_.clear(); }

private:
    std::deque<std::shared_ptr<Action>> actions_;
};
