#include "game/world/action.h"

#include <algorithm>
#include <utility>

#include "game/story/archive.h"
#include "game/story/story_record.h"

ActionForm action_form(uint16_t code) {
    switch (code) {
    case 257: case 258: case 259: case 260: case 261:
    case 514: case 515: case 517: case 770:
    case 1025: case 1026: case 1027: case 1029:
    case 1281: case 1283: case 1284: case 1285:
        return ActionForm::ThreeNumbers;
    case 513: case 1537: case 1538: case 1540:
        return ActionForm::TwoNumbersText;
    case 516: case 521: case 1028:
        return ActionForm::TwoNumbers;
    case 518: case 519: case 526: case 527: case 1286: case 1539:
        return ActionForm::OneNumber;
    case 769: case 1282:
        return ActionForm::TwoNumbersExpression;
    default:
        return ActionForm::None;
    }
}

template <class Self>
void Action::fields(Self& self, Archive& ar) {
    ar.begin("M_ACTION", kRecordVersion);
    ar.u16("Code", self.code);
    const ActionForm stored_form = self.form();
    if (stored_form != ActionForm::None) ar.u32("A", self.a);
    switch (stored_form) {
    case ActionForm::None:
    case ActionForm::OneNumber:
        break;
    case ActionForm::TwoNumbers:
        ar.u32("B", self.b);
        break;
    case ActionForm::ThreeNumbers:
        ar.u32("B", self.b);
        ar.u32("C", self.c);
        break;
    case ActionForm::TwoNumbersText:
        ar.u32("B", self.b);
        ar.text("Text", self.text);
        break;
    case ActionForm::TwoNumbersExpression:
        ar.u32("B", self.b);
        ar.unkept_text("Comment");
        ar.record(self.expression);
        break;
    }
    ar.end("M_ACTION");
}

void Action::serialize(Archive& ar) { fields(*this, ar); }

void Action::read(Archive& ar) { serialize(ar); }

void Action::write(Archive& ar) const { fields(*this, ar); }

void ActionList::insert(std::shared_ptr<Action> action, uint16_t position) {
    auto after = std::upper_bound(entries_.begin(), entries_.end(), position,
                                  [](uint16_t p, const Entry& e) { return p < e.position; });
    entries_.insert(after, Entry{std::move(action), position});
}

void action_list_insert(ActionList& list, std::shared_ptr<Action> action, uint16_t position) {
    list.insert(std::move(action), position);
}

// Position (2 bytes), version byte and code at the least.
static constexpr size_t kMinStoredActionBytes = 5;

template <class Self>
void ActionList::fields(Self& self, Archive& ar) {
    constexpr bool kReadable = !std::is_const_v<Self>;
    const uint16_t count = ar.count("ACTIONCNT", self.entries_.size(), kMinStoredActionBytes);
    // Read entries are gathered apart and inserted in position order below;
    // a const list only ever goes over its own entries.
    const bool filling = kReadable && ar.reading();
    std::vector<Entry> stored(filling ? count : 0);
    for (auto& e : filling ? stored : self.entries_) {
        ar.u16("Pos", e.position);
        // The shared action does not take the list's constness on by itself.
        if constexpr (kReadable) {
            if (filling) e.action = std::make_shared<Action>();
            ar.record(*e.action);
        } else {
            ar.record(std::as_const(*e.action));
        }
    }
    if constexpr (kReadable) {
        if (!filling) return;
        // Actions run in the order of their positions, whatever the file's order.
        self.entries_.clear();
        for (Entry& e : stored) self.insert(std::move(e.action), e.position);
    }
}

void ActionList::serialize(Archive& ar) { fields(*this, ar); }

void ActionList::read(Archive& ar) { serialize(ar); }

void ActionList::write(Archive& ar) const { fields(*this, ar); }
