// Checks of a story before it is written: what the loaders refuse and what
// the game relies on.
#include <cstdio>
#include <map>
#include <set>

#include "game/story/story_source.h"
#include "game/world/topic_menu.h"
#include "game/world/world.h"

namespace {

class Validator {
public:
    Validator(const World& world, const StoryFolderPlan& plan) : world_(world), plan_(plan) {}

    std::vector<StorySourceError> run() {
        collect_ids();
        check_levels();
        check_people();
        check_monsters();
        for (const auto& t : world_.triggers) check_trigger(*t);
        for (const auto& [level, triggers] : plan_.level_triggers) {
            expect(level, RecordKind::Level, "trigger file's level");
            for (const auto& t : triggers) check_trigger(*t);
        }
        if (world_.stored_level_id != 0) expect(world_.stored_level_id, RecordKind::Level, "start level");
        if (!world_.first_level()) error("the story has no level to start on");
        return std::move(errors_);
    }

private:
    void error(const std::string& message) { errors_.push_back({0, message}); }

    std::string hex(uint32_t id) const {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", unsigned(id));
        return text;
    }

    void add(uint32_t id, RecordKind kind) {
        if (id == 0) {
            error(std::string("a ") + record_kind_name(kind) + " has the id 0");
            return;
        }
        auto [it, fresh] = kinds_.emplace(id, kind);
        if (!fresh)
            error("id " + hex(id) + " of a " + record_kind_name(kind) + " is already taken by a " +
                  record_kind_name(it->second));
    }

    void collect_ids() {
        for (const auto& r : world_.regions) {
            add(r->id, RecordKind::Region);
            for (const auto& m : r->maps) {
                add(m->id, RecordKind::Map);
                for (const auto& l : m->levels) add(l->id, RecordKind::Level);
            }
        }
        for (const auto& g : world_.item_groups) {
            add(g->id, RecordKind::ItemGroup);
            for (const auto& i : g->items) add(i->id, RecordKind::Item);
        }
        for (const auto& n : world_.people) add(n->id, RecordKind::Npc);
        for (const auto& m : world_.monsters) add(m->id, RecordKind::Monster);
        for (const auto& f : world_.flags) add(f->id, RecordKind::Flag);
        for (const auto& q : world_.quests) add(q->id, RecordKind::Quest);
        for (const auto& t : world_.triggers) add(t->id, RecordKind::Trigger);
        for (const auto& [level, triggers] : plan_.level_triggers)
            for (const auto& t : triggers) add(t->id, RecordKind::Trigger);
    }

    void expect(uint32_t id, RecordKind kind, const std::string& what) {
        auto it = kinds_.find(id);
        if (it == kinds_.end())
            error(what + " " + hex(id) + " is no " + record_kind_name(kind));
        else if (it->second != kind)
            error(what + " " + hex(id) + " is a " + record_kind_name(it->second) + ", not a " +
                  record_kind_name(kind));
    }

    void check_expression(const Expression& e, const std::string& where) {
        for (const Condition& c : e.conditions) {
            switch (c.base_kind()) {
            case 1: expect(c.id, RecordKind::Item, where + ": condition's item"); break;
            case 3: expect(c.id, RecordKind::Flag, where + ": condition's flag"); break;
            case 4: case 5: case 6: expect(c.id, RecordKind::Level, where + ": condition's level"); break;
            default: break;
            }
        }
    }

    void check_actions(const ActionList& list, const std::string& where) {
        for (const auto& entry : list.entries()) {
            const Action& a = *entry.action;
            const std::string at = where + ": action " + std::to_string(a.code);
            switch (a.code) {
            case 257: case 258: expect(a.a, RecordKind::Item, at + "'s item"); break;
            case 514: case 515: case 1028: case 1286: expect(a.a, RecordKind::Npc, at + "'s person"); break;
            case 526: if (a.a) expect(a.a, RecordKind::Npc, at + "'s person"); break;
            case 521: expect(a.a, RecordKind::Quest, at + "'s quest"); break;
            case 769: case 770: case 1027: expect(a.a, RecordKind::Flag, at + "'s flag"); break;
            case 1026: case 1281: case 1282: case 1284: expect(a.a, RecordKind::Level, at + "'s level"); break;
            case 1283:
                expect(a.a, RecordKind::Npc, at + "'s person");
                expect(a.b, RecordKind::Level, at + "'s level");
                break;
            case 1285:
                expect(a.a, RecordKind::Monster, at + "'s monster");
                expect(a.b, RecordKind::Level, at + "'s level");
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
                    if (l->width < 1 || l->width > MapLevel::kMaxSide || l->height < 1 ||
                        l->height > MapLevel::kMaxSide)
                        error(where + " has a size outside 1..250");
                    if (l->grid.size() != size_t(l->width) * size_t(l->height))
                        error(where + " has no complete grid");
                    for (int edge = 0; edge < 4; ++edge)
                        if (uint32_t exit = l->exit_level(LevelEdge(edge)))
                            expect(exit, RecordKind::Level, where + ": exit");
                    for (const Encounter& e : l->encounters) {
                        expect(e.monster_id, RecordKind::Monster, where + ": encounter's monster");
                        check_expression(e.expression, where + ": encounter");
                    }
                }
    }

    void check_people() {
        for (const auto& n : world_.people) {
            const std::string where = "person " + hex(n->id);
            for (const NpcTopic& t : n->topics) {
                const std::string at = where + ", topic \"" + t.key + "\"";
                const TopicKey key = split_topic_key(t.key);
                if (key.label.empty()) error(at + " has no label");
                if (!key.key.empty() && t.key.find_first_of(" \t", t.key.rfind(':')) != std::string::npos)
                    error(at + ": a label after a key is one word");
                if (t.hide_flag) expect(t.hide_flag, RecordKind::Flag, at + "'s hiding flag");
                check_expression(t.expression, at);
                check_actions(t.actions, at);
            }
        }
    }

    void check_monsters() {
        for (const auto& m : world_.monsters) {
            const std::string where = "monster " + hex(m->id);
            for (uint32_t item : m->item_ids) expect(item, RecordKind::Item, where + "'s item");
            if (!m->combat_sprite.empty() && m->combat_sprite.view().find_last_of("/\\") == std::string::npos &&
                m->combat_sprite[0] != 'c')
                error(where + ": combat sprite names start with \"c\"");
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
    std::map<uint32_t, RecordKind> kinds_;
    std::vector<StorySourceError> errors_;
};

}  // namespace

std::vector<StorySourceError> validate_story(const World& world, const StoryFolderPlan& plan) {
    return Validator(world, plan).run();
}
