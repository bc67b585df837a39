// Checks of a story before it is written: what the loaders refuse and what
// the game relies on. Each fault names the source line of what it concerns
// when the story came from a source.
#include <cstdio>
#include <map>
#include <utility>
#include <set>

#include "game/story/item_record.h"
#include "game/story/story_source.h"
#include "game/world/topic_menu.h"
#include "game/world/world.h"

namespace {

std::string hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", unsigned(id));
    return text;
}

class Validator {
public:
    Validator(const World& world, const StoryFolderPlan& plan, const StorySourceLines* lines)
        : world_(world), plan_(plan), lines_(lines) {}

    std::vector<StorySourceError> run() {
        collect_ids();
        check_levels();
        check_people();
        check_monsters();
        for (const auto& t : world_.triggers) check_trigger(*t);
        for (const auto& [level, triggers] : plan_.level_triggers) {
            for (const auto& t : triggers) {
                expect(level, RecordKind::Level, "trigger " + hex(t->id) + "'s file's level", line_of(t.get()));
                check_trigger(*t);
            }
        }
        const int story_line = lines_ ? lines_->story_line : 0;
        if (world_.stored_level_id != 0) expect(world_.stored_level_id, RecordKind::Level, "start level", story_line);
        if (!world_.first_level()) error(story_line, "the story has no level to start on");
        return std::move(errors_);
    }

private:
    void error(int line, const std::string& message) { errors_.push_back({line, message}); }
    void warn(int line, const std::string& message) { errors_.push_back({line, message, true}); }

    int line_of(const void* where) const { return lines_ ? lines_->line_of(where) : 0; }
    // Records were noted as records, whatever their own type.
    int line_of(const StoryRecord* record) const { return line_of(static_cast<const void*>(record)); }
    // The line an earlier record stands on, as a note after a message.
    std::string see_line(const StoryRecord* record) const {
        const int line = line_of(record);
        return line > 0 ? " (line " + std::to_string(line) + ")" : "";
    }

    void add(const StoryRecord& record) {
        const int line = line_of(&record);
        if (record.id == 0) {
            error(line, std::string(record_kind_with_article(record.kind)) + " has the id 0");
            return;
        }
        auto [it, fresh] = records_.emplace(record.id, &record);
        if (fresh) return;
        // The record that comes later in the source is the one at fault,
        // whatever order the kinds are gathered in.
        const StoryRecord* first = it->second;
        const StoryRecord* second = &record;
        if (line > 0 && line < line_of(first)) std::swap(first, second);
        error(line_of(second), "id " + hex(record.id) + " of " + record_kind_with_article(second->kind) +
                                   " is already taken by " + record_kind_with_article(first->kind) + see_line(first));
    }

    void collect_ids() {
        for (const auto& r : world_.regions) {
            add(*r);
            for (const auto& m : r->maps) {
                add(*m);
                for (const auto& l : m->levels) add(*l);
            }
        }
        for (const auto& g : world_.item_groups) {
            add(*g);
            for (const auto& i : g->items) add(*i);
        }
        for (const auto& n : world_.people) add(*n);
        for (const auto& m : world_.monsters) add(*m);
        for (const auto& f : world_.flags) add(*f);
        for (const auto& q : world_.quests) add(*q);
        for (const auto& t : world_.triggers) add(*t);
        for (const auto& [level, triggers] : plan_.level_triggers)
            for (const auto& t : triggers) add(*t);
    }

    const StoryRecord* find(uint32_t id) const {
        const auto it = records_.find(id);
        return it == records_.end() ? nullptr : it->second;
    }

    void expect(uint32_t id, RecordKind kind, const std::string& what, int line) {
        const StoryRecord* found = find(id);
        if (!found)
            error(line, what + " " + hex(id) + " is no " + record_kind_name(kind));
        else if (found->kind != kind)
            error(line, what + " " + hex(id) + " is " + record_kind_with_article(found->kind) + ", not " +
                            record_kind_with_article(kind));
    }

    void check_expression(const Expression& e, const std::string& where) {
        for (const Condition& c : e.conditions) {
            const int line = line_of(&c);
            switch (c.base_kind()) {
            case 1: expect(c.id, RecordKind::Item, where + ": condition's item", line); break;
            case 3: expect(c.id, RecordKind::Flag, where + ": condition's flag", line); break;
            case 4: case 5: case 6: expect(c.id, RecordKind::Level, where + ": condition's level", line); break;
            default: break;
            }
        }
    }

    std::string code_of(const Action& a) const { return lines_ ? lines_->code_of(a) : hex(a.code); }

    void check_actions(const ActionList& list, const std::string& where) {
        for (const auto& entry : list.entries()) {
            const Action& a = *entry.action;
            const std::string at = where + ": action " + code_of(a);
            const int line = line_of(&a);
            switch (a.code) {
            case 257: case 258: expect(a.a, RecordKind::Item, at + "'s item", line); break;
            case 514: case 515: case 1028: case 1286: expect(a.a, RecordKind::Npc, at + "'s person", line); break;
            case 526: if (a.a) expect(a.a, RecordKind::Npc, at + "'s person", line); break;
            case 521: expect(a.a, RecordKind::Quest, at + "'s quest", line); break;
            case 769: case 770: case 1027: expect(a.a, RecordKind::Flag, at + "'s flag", line); break;
            case 1026: case 1281: case 1282: case 1284: expect(a.a, RecordKind::Level, at + "'s level", line); break;
            case 1283:
                expect(a.a, RecordKind::Npc, at + "'s person", line);
                expect(a.b, RecordKind::Level, at + "'s level", line);
                break;
            case 1285:
                expect(a.a, RecordKind::Monster, at + "'s monster", line);
                expect(a.b, RecordKind::Level, at + "'s level", line);
                break;
            default: break;
            }
            if (a.form() == ActionForm::TwoNumbersExpression) check_expression(a.expression, at);
        }
    }

    void check_levels() {
        for (const auto& r : world_.regions)
            for (const auto& m : r->maps)
                for (const auto& l : m->levels) {
                    const std::string where = "level " + hex(l->id);
                    const int line = line_of(l.get());
                    if (l->width < 1 || l->width > MapLevel::kMaxSide || l->height < 1 ||
                        l->height > MapLevel::kMaxSide)
                        error(line, where + " has a size outside 1..250");
                    if (l->grid.size() != size_t(l->width) * size_t(l->height))
                        error(line, where + " has no complete grid");
                    for (int edge = 0; edge < 4; ++edge)
                        if (uint32_t exit = l->exit_level(LevelEdge(edge)))
                            expect(exit, RecordKind::Level, where + ": exit", line);
                    for (const Encounter& e : l->encounters) {
                        expect(e.monster_id, RecordKind::Monster, where + ": encounter's monster", line_of(&e));
                        check_expression(e.expression, where + ": encounter");
                    }
                }
    }

    void check_people() {
        for (const auto& n : world_.people) {
            const std::string where = "person " + hex(n->id);
            for (const NpcTopic& t : n->topics) {
                const std::string at = where + ", topic \"" + t.key + "\"";
                const int line = line_of(&t);
                const TopicKey key = split_topic_key(t.key);
                if (key.label.empty()) error(line, at + " has no label");
                if (!key.key.empty() && t.key.find_first_of(" \t", t.key.rfind(':')) != std::string::npos)
                    error(line, at + ": a label after a key is one word");
                if (t.hide_flag) expect(t.hide_flag, RecordKind::Flag, at + "'s hiding flag", line);
                check_expression(t.expression, at);
                check_actions(t.actions, at);
            }
        }
    }

    // Whether one of the monster's items is a weapon or a wand: what it
    // strikes with, in its turn and at a fleeing hero.
    bool strikes(const MonsterRecord& m) const {
        for (uint32_t id : m.item_ids) {
            const StoryRecord* found = find(id);
            if (!found || found->kind != RecordKind::Item) continue;
            const auto& item = static_cast<const ItemRecord&>(*found);
            if (item.kind == kItemWeapon || item.kind == kItemWand) return true;
        }
        return false;
    }

    void check_monsters() {
        for (const auto& m : world_.monsters) {
            const std::string where = "monster " + hex(m->id);
            const int line = line_of(m.get());
            for (uint32_t item : m->item_ids) expect(item, RecordKind::Item, where + "'s item", line);
            if (!m->combat_sprite.empty() && m->combat_sprite.view().find_last_of("/\\") == std::string::npos &&
                m->combat_sprite[0] != 'c')
                error(line, where + ": combat sprite names start with \"c\"");
            if (m->cannot_flee && !strikes(*m))
                warn(line, where + " forbids flight but carries no weapon or wand to strike with; "
                                   "the hero may flee it all the same");
            check_actions(m->reward_actions, where);
        }
    }

    void check_trigger(const Trigger& t) {
        const std::string where = "trigger " + hex(t.id);
        check_expression(t.expression, where);
        check_actions(t.actions, where);
    }

    const World& world_;
    const StoryFolderPlan& plan_;
    const StorySourceLines* lines_;
    std::map<uint32_t, const StoryRecord*> records_;
    std::vector<StorySourceError> errors_;
};

}  // namespace

std::vector<StorySourceError> validate_story(const World& world, const StoryFolderPlan& plan,
                                             const StorySourceLines* lines) {
    return Validator(world, plan, lines).run();
}
