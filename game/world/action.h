// A coded story command and the ordered action lists of triggers, topics and
// monster rewards. What each code does is the action executor's business;
// this is the stored form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/pooled_text.h"
#include "game/world/expression.h"

class Archive;

// How the numbers after an action's code are stored.
enum class ActionForm : uint8_t {
    None,              // nothing
    OneNumber,         // a
    TwoNumbers,        // a, b
    ThreeNumbers,      // a, b, c
    TwoNumbersText,    // a, b, text
    TwoNumbersExpression,  // a, b, a skipped string, expression
};

ActionForm action_form(uint16_t code);

struct Action {
    uint16_t code = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
    PooledText text;         // form TwoNumbersText
    Expression expression;   // form TwoNumbersExpression

    uint8_t category() const { return uint8_t(code >> 8); }
    ActionForm form() const { return action_form(code); }

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    // Whether the action names the level (the codes that move, place or
    // test something on a level).
    bool uses_level(uint32_t level_id) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Action, or a const Action when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

// Actions sorted by position; equal positions keep their insertion order.
// Actions are shared because queued actions may outlive the record that
// holds them (people and triggers are dropped on level changes).
class ActionList {
public:
    struct Entry {
        std::shared_ptr<Action> action;
        uint16_t position = 0;
    };

    void insert(std::shared_ptr<Action> action, uint16_t position);
    const std::vector<Entry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // Stored as a count, then per action its u16 position and the action.
    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // ActionList, or a const ActionList when writing.
    template <class Self> static void fields(Self& self, Archive& ar);

    std::vector<Entry> entries_;
};

void action_list_insert(ActionList& list, std::shared_ptr<Action> action, uint16_t position);
