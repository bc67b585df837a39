#include "game/world/action.h"

#include <algorithm>

#include "game/world/archive.h"
#include "game/world/story_record.h"

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

void Action::read(Archive& ar) {
    ar.read_begin("M_ACTION");
    code = ar.read_u16("Code");
    switch (form()) {
    case ActionForm::None:
        break;
    case ActionForm::OneNumber:
        a = ar.read_u32("A");
        break;
    case ActionForm::TwoNumbers:
        a = ar.read_u32("A");
        b = ar.read_u32("B");
        break;
    case ActionForm::ThreeNumbers:
        a = ar.read_u32("A");
        b = ar.read_u32("B");
        c = ar.read_u32("C");
        break;
    case ActionForm::TwoNumbersText:
        a = ar.read_u32("A");
        b = ar.read_u32("B");
        text = ar.read_text("Text");
        break;
    case ActionForm::TwoNumbersExpression:
        a = ar.read_u32("A");
        b = ar.read_u32("B");
        ar.read_temp_string("Comment");
        expression.read(ar);
        break;
    }
    ar.read_end("M_ACTION");
}

void Action::write(Archive& ar) const {
    ar.write_begin("M_ACTION", kRecordVersion);
    ar.write_u16("Code", code);
    switch (form()) {
    case ActionForm::None:
        break;
    case ActionForm::OneNumber:
        ar.write_u32("A", a);
        break;
    case ActionForm::TwoNumbers:
        ar.write_u32("A", a);
        ar.write_u32("B", b);
        break;
    case ActionForm::ThreeNumbers:
        ar.write_u32("A", a);
        ar.write_u32("B", b);
        ar.write_u32("C", c);
        break;
    case ActionForm::TwoNumbersText:
        ar.write_u32("A", a);
        ar.write_u32("B", b);
        ar.write_string("Text", text);
        break;
    case ActionForm::TwoNumbersExpression:
        ar.write_u32("A", a);
        ar.write_u32("B", b);
        ar.write_string("Comment", nullptr);
        expression.write(ar);
        break;
    }
    ar.write_end("M_ACTION");
}

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

void ActionList::read(Archive& ar) {
    entries_.clear();
    const uint16_t count = ar.read_count("ACTIONCNT", kMinStoredActionBytes);
    for (uint16_t i = 0; i < count && !ar.failed(); ++i) {
        const uint16_t position = ar.read_u16("Pos");
        auto action = std::make_shared<Action>();
        action->read(ar);
        insert(std::move(action), position);
    }
}

void ActionList::write(Archive& ar) const {
    ar.write_count("ACTIONCNT", entries_.size());
    for (const Entry& e : entries_) {
        ar.write_u16("Pos", e.position);
        e.action->write(ar);
    }
}
