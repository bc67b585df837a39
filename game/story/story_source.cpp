#include "game/story/story_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "game/world/world.h"

namespace {

// One statement: a keyword, positional arguments and named arguments.
struct Statement {
    int line = 0;
    std::string keyword;
    std::vector<std::string> args;
    std::map<std::string, std::string> named;
};

struct SourceFailure {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw SourceFailure{message}; }

std::string hex_id(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", unsigned(id));
    return text;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A double-quoted text starting at `pos`; \" \\ and \n are escapes.
std::string read_quoted(const std::string& line, size_t& pos) {
    std::string out;
    ++pos;
    while (pos < line.size() && line[pos] != '"') {
        char c = line[pos++];
        if (c == '\\') {
            if (pos >= line.size()) fail("a text ends in a lone \\");
            const char e = line[pos++];
            c = e == 'n' ? '\n' : e;
            if (e != 'n' && e != '"' && e != '\\') fail(std::string("unknown escape \\") + e);
        }
        out += c;
    }
    if (pos >= line.size()) fail("a text lacks its closing quote");
    ++pos;
    return out;
}

std::string read_word(const std::string& line, size_t& pos) {
    const size_t start = pos;
    while (pos < line.size() && !is_blank(line[pos]) && line[pos] != '=' && line[pos] != '"' && line[pos] != '#')
        ++pos;
    return line.substr(start, pos - start);
}

std::string read_value(const std::string& line, size_t& pos) {
    if (pos < line.size() && line[pos] == '"') return read_quoted(line, pos);
    return read_word(line, pos);
}

std::optional<Statement> parse_line(const std::string& line, int number) {
    Statement st;
    st.line = number;
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] == '#') break;
        if (line[pos] == '"') {
            st.args.push_back(read_quoted(line, pos));
            continue;
        }
        const std::string word = read_word(line, pos);
        if (word.empty()) fail(std::string("unexpected '") + line[pos] + "'");
        if (pos < line.size() && line[pos] == '=') {
            ++pos;
            if (st.named.count(word)) fail("\"" + word + "\" is given twice");
            st.named[word] = read_value(line, pos);
        } else if (st.keyword.empty()) {
            st.keyword = word;
        } else {
            st.args.push_back(word);
        }
    }
    if (st.keyword.empty()) {
        if (!st.args.empty() || !st.named.empty()) fail("a statement must start with a keyword");
        return std::nullopt;
    }
    return st;
}

// Decimal or 0x hexadecimal, optionally negative, or "(x,y)": x | y << 16.
int64_t parse_number(const std::string& text) {
    if (text.size() > 2 && text.front() == '(' && text.back() == ')') {
        const size_t comma = text.find(',');
        if (comma == std::string::npos) fail("a tile position is written (x,y)");
        const int64_t x = parse_number(text.substr(1, comma - 1));
        const int64_t y = parse_number(text.substr(comma + 1, text.size() - comma - 2));
        if (x < 0 || x > 0xFFFF || y < 0 || y > 0xFFFF) fail("tile position out of range: " + text);
        return x | y << 16;
    }
    if (text.empty()) fail("a number is missing");
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != 0) fail("not a number: \"" + text + "\"");
    return v;
}

std::vector<int64_t> parse_list(const std::string& text) {
    std::vector<int64_t> out;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        out.push_back(parse_number(text.substr(pos, comma - pos)));
        pos = comma + 1;
    }
    return out;
}

// Reads named arguments, complaining about those nobody asked for.
class Args {
public:
    explicit Args(const Statement& st) : st_(st) {}

    const std::string& arg(size_t index, const char* what) const {
        if (index >= st_.args.size()) fail(st_.keyword + " needs " + what);
        return st_.args[index];
    }
    uint32_t id(size_t index = 0) const {
        const int64_t v = parse_number(arg(index, "an id"));
        if (v <= 0 || v > 0xFFFFFFFFll) fail("ids are 1 .. 0xFFFFFFFF");
        return uint32_t(v);
    }
    // A record statement begins with the record's id and name.
    template <class Record>
    void id_and_name(Record& record) const {
        record.id = id();
        if constexpr (requires { record.set_name(std::string()); })
            record.set_name(arg(1, "a name"));
        else
            record.name = arg(1, "a name");
    }
    bool has(const char* key) {
        used_.insert(key);
        return st_.named.count(key) != 0;
    }
    std::string text(const char* key, const std::string& fallback = "") {
        return has(key) ? st_.named.at(key) : fallback;
    }
    int64_t number(const char* key, int64_t fallback, int64_t low, int64_t high) {
        if (!has(key)) return fallback;
        const int64_t v = parse_number(st_.named.at(key));
        if (v < low || v > high)
            fail(std::string(key) + " = " + std::to_string(v) + " is outside " + std::to_string(low) + " .. " +
                 std::to_string(high));
        return v;
    }
    int32_t i32(const char* key, int32_t fallback = 0) {
        return int32_t(number(key, fallback, INT32_MIN, INT32_MAX));
    }
    uint32_t u32(const char* key, uint32_t fallback = 0) {
        return uint32_t(number(key, fallback, INT32_MIN, 0xFFFFFFFFll));
    }
    uint16_t u16(const char* key, uint16_t fallback = 0) { return uint16_t(number(key, fallback, 0, 0xFFFF)); }
    uint8_t u8(const char* key, uint8_t fallback = 0) { return uint8_t(number(key, fallback, 0, 0xFF)); }
    template <size_t N, class T>
    void list(const char* key, std::array<T, N>& out, int64_t low, int64_t high) {
        if (!has(key)) return;
        const std::vector<int64_t> values = parse_list(st_.named.at(key));
        if (values.size() != N) fail(std::string(key) + " takes " + std::to_string(N) + " values");
        for (size_t i = 0; i < N; ++i) {
            if (values[i] < low || values[i] > high) fail(std::string(key) + " value out of range");
            out[i] = T(values[i]);
        }
    }
    void finish() const {
        for (const auto& [key, value] : st_.named)
            if (!used_.count(key)) fail(st_.keyword + " does not take \"" + key + "\"");
    }

private:
    const Statement& st_;
    std::set<std::string> used_;
};

class Parser {
public:
    Parser(World& world, StoryFolderPlan& plan, StorySourceLines* lines) : world_(world), plan_(plan), lines_(lines) {}

    void statement(const Statement& st) {
        Args a(st);
        line_ = st.line;
        const std::string& k = st.keyword;
        if (k == "story") story(a);
        else if (k == "region") region(a);
        else if (k == "map") map(a);
        else if (k == "level") level(a);
        else if (k == "legend") legend(a);
        else if (k == "row") row(a);
        else if (k == "encounter") encounter(a);
        else if (k == "flag") flag(a);
        else if (k == "quest") quest(a);
        else if (k == "group") group(a);
        else if (k == "item") item(a);
        else if (k == "npc") npc(a);
        else if (k == "topic") topic(a);
        else if (k == "monster") monster(a);
        else if (k == "loot") loot(a);
        else if (k == "trigger") trigger(a);
        else if (k == "when") when(a);
        else if (k == "do") action(a);
        else if (k == "recipes") recipes(a);
        else if (k == "recipe") recipe(a);
        else fail("unknown statement \"" + k + "\"");
        a.finish();
    }

    // Levels end with the next level, map or region, or the source.
    void close_level() {
        if (!level_) return;
        MapLevel& l = *level_;
        if (rows_ != l.height)
            fail("level " + hex_id(l.id) + " has " + std::to_string(rows_) + " rows, not " +
                 std::to_string(l.height));
        rows_ = 0;
        level_ = nullptr;
    }

    // Topics, encounters and conditions live in lists that move while the
    // source is read: their lines are noted by address only at the end.
    void note_moved_lines() {
        if (!lines_) return;
        for (const auto& [where, line] : moved_lines_) lines_->note(where(), line);
        moved_lines_.clear();
    }

private:
    void note_line(const void* where) {
        if (lines_) lines_->note(where, line_);
    }
    // Records are looked up as records, whatever their own type.
    void note_record(const StoryRecord* record) { note_line(record); }
    void note_moved_line(std::function<const void*()> where) {
        if (lines_) moved_lines_.emplace_back(std::move(where), line_);
    }

    void story(Args& a) {
        if (lines_) lines_->story_line = line_;
        world_.stored_level_id = a.u32("start");
        plan_.people_in_files = a.number("people_files", 0, 0, 1);
        plan_.monsters_in_files = a.number("monster_files", 0, 0, 1);
        plan_.items_in_files = a.number("item_files", 0, 0, 1);
    }

    void region(Args& a) {
        close_level();
        auto r = std::make_unique<MapRegion>();
        a.id_and_name(*r);
        note_record(r.get());
        region_ = r.get();
        map_ = nullptr;
        world_.regions.push_back(std::move(r));
    }

    void map(Args& a) {
        close_level();
        if (!region_) fail("a map belongs to a region");
        auto m = std::make_unique<Map>();
        a.id_and_name(*m);
        note_record(m.get());
        m->region = region_;
        m->music = a.text("music");
        m->music_loop = a.i32("loop");
        m->params[0] = a.i32("param1");
        m->params[1] = a.i32("param2");
        map_ = m.get();
        region_->maps.push_back(std::move(m));
    }

    void level(Args& a) {
        close_level();
        if (!map_) fail("a level belongs to a map");
        auto l = std::make_unique<MapLevel>();
        a.id_and_name(*l);
        note_record(l.get());
        l->map = map_;
        l->width = int32_t(a.number("width", 0, 1, MapLevel::kMaxSide));
        l->height = int32_t(a.number("height", 0, 1, MapLevel::kMaxSide));
        if (l->width == 0 || l->height == 0) fail("a level needs width and height");
        l->params[1] = a.u32("lighting");
        const char* edges[] = {"up", "left", "down", "right"};
        const char* arrivals[] = {"up_at", "left_at", "down_at", "right_at"};
        for (int i = 0; i < 4; ++i) {
            l->params[2 + i] = a.u32(edges[i]);
            l->params[6 + i] = a.u32(arrivals[i]);
        }
        l->params[11] = a.u8("param11");
        l->music = a.text("music");
        l->music_loop = a.i32("loop");
        l->weather = uint32_t(a.number("weather", 0, 0, 0xFFFFFF));
        l->combat_background = a.u32("combat");
        level_ = l.get();
        expression_ = nullptr;
        map_->levels.push_back(std::move(l));
    }

    void legend(Args& a) {
        const std::string& symbol = a.arg(0, "a symbol");
        if (symbol.size() != 1) fail("a legend symbol is one character");
        TileCell c;
        c.background = a.u8("bg");
        c.tile = a.u8("tile");
        c.decor = a.u8("decor");
        c.shade = legend_shade(a);
        c.trees = a.u8("trees");
        c.wall = a.u32("wall");
        if (a.has("quarters")) {
            if (a.has("wall")) fail("a legend takes wall= or quarters=, not both");
            c.wall = quarter_wall(a.text("quarters"));
        }
        c.object = a.u16("object");
        c.state = a.u8("state");
        legend_[symbol[0]] = c;
    }

    // The shade piece (1..63) and how it falls on the ground beneath.
    static uint8_t legend_shade(Args& a) {
        const uint8_t piece = uint8_t(a.number("shade", 0, 0, 63));
        if (!a.has("blend")) return piece;
        static const std::map<std::string, uint8_t> kBlends = {
            {"lighten12", 0x00}, {"lighten6", 0x40}, {"darken6", 0x80}, {"darken12", 0xC0}};
        const std::string blend = a.text("blend");
        const auto found = kBlends.find(blend);
        if (found == kBlends.end())
            fail("blend=" + blend + " is none of lighten12, lighten6, darken6, darken12");
        if (piece == 0) fail("blend= needs a shade piece");
        return uint8_t(piece | found->second);
    }

    // "SET:TL,TR,BL,BR": four 16-pixel quarters of a numbered set, each 0
    // (none) or a picture 1..30 (16 and up drawn above the characters). The
    // field holds 31 too, but that picture lies in the next set's file.
    static uint32_t quarter_wall(const std::string& text) {
        const size_t colon = text.find(':');
        if (colon == std::string::npos) fail("quarters are written SET:TL,TR,BL,BR");
        const int64_t set = parse_number(text.substr(0, colon));
        if (set < 1 || set > 63) fail("quarters: set " + std::to_string(set) + " is outside 1 .. 63");
        const std::vector<int64_t> pieces = parse_list(text.substr(colon + 1));
        if (pieces.size() != 4) fail("quarters takes a set and 4 pieces (TL,TR,BL,BR)");
        static constexpr int kShifts[4] = {0, 6, 12, 18};
        uint32_t wall = 0x80000000u | uint32_t(set) << 24;
        for (size_t q = 0; q < 4; ++q) {
            if (pieces[q] < 0 || pieces[q] > 30)
                fail("quarters: piece " + std::to_string(pieces[q]) + " is outside 0 .. 30");
            wall |= uint32_t(pieces[q]) << kShifts[q];
        }
        if ((wall & 0xFFFFFF) == 0) fail("quarters: every piece is 0");
        return wall;
    }

    void row(Args& a) {
        if (!level_) fail("rows belong to a level");
        const std::string& r = a.arg(0, "the row's cells");
        if (r.size() != size_t(level_->width))
            fail("row of " + std::to_string(r.size()) + " cells in a level " + std::to_string(level_->width) +
                 " wide");
        for (char c : r)
            if (!legend_.count(c)) fail(std::string("no legend for '") + c + "'");
        // A row takes the legends in force where it stands: a later legend
        // of the same character changes only the rows after it.
        if (rows_ == 0) level_->grid.clear();
        for (char c : r) level_->grid.push_back(legend_.at(c));
        ++rows_;
    }

    void encounter(Args& a) {
        if (!level_) fail("an encounter belongs to a level");
        Encounter e;
        e.monster_id = a.u32("monster");
        e.value = a.u8("value");
        level_->encounters.push_back(e);
        MapLevel* level = level_;
        const size_t index = level->encounters.size() - 1;
        note_moved_line([level, index] { return &level->encounters[index]; });
        expression_ = [level, index]() -> Expression& { return level->encounters[index].expression; };
        actions_ = nullptr;
    }

    void flag(Args& a) {
        auto f = std::make_unique<FlagRecord>();
        a.id_and_name(*f);
        note_record(f.get());
        f->value = a.i32("value");
        f->hi_value = a.i32("hi");
        world_.flags.push_back(std::move(f));
    }

    void quest(Args& a) {
        auto q = std::make_unique<Quest>();
        a.id_and_name(*q);
        note_record(q.get());
        q->text1 = a.text("text1");
        q->text2 = a.text("text2");
        world_.quests.push_back(std::move(q));
    }

    void group(Args& a) {
        auto g = std::make_unique<ItemGroup>();
        a.id_and_name(*g);
        note_record(g.get());
        g->group_kind = int32_t(a.number("kind", 0, 1, 6));
        if (g->group_kind == 0) fail("a group needs its kind");
        g->priceless = int32_t(a.number("priceless", 0, 0, 1));
        group_ = g.get();
        world_.item_groups.push_back(std::move(g));
    }

    void item(Args& a) {
        if (!group_) fail("an item belongs to a group");
        auto i = std::make_unique<ItemRecord>();
        a.id_and_name(*i);
        note_record(i.get());
        i->kind = int32_t(a.number("kind", group_->group_kind, 1, 6));
        i->value = a.u16("value");
        i->sub_kind = a.u16("sub");
        i->count = a.u16("count", 1);
        i->price = a.i32("price");
        i->aim = a.u16("aim");
        i->param1 = int32_t(a.number("icon", 0, 0, INT32_MAX));
        i->param2 = int32_t(a.number("param2", 1, 1, 12));
        i->param3 = a.i32("param3");
        i->param4 = a.i32("param4");
        i->text2 = a.text("text2", " ");
        i->text3 = a.text("action", "<");
        i->text4 = a.text("use");
        i->amount2 = uint16_t(a.number("amount2", 0, 0, 100));
        i->amount3 = uint16_t(a.number("amount3", 0, 0, 100));
        i->flag1 = uint16_t(a.number("flag1", 0, 0, 1));
        i->flag2 = uint16_t(a.number("flag2", 0, 0, 1));
        i->priceless = uint16_t(group_->priceless);
        group_->items.push_back(std::move(i));
    }

    void npc(Args& a) {
        auto n = std::make_shared<NpcRecord>();
        a.id_and_name(*n);
        note_record(n.get());
        n->stance = a.u8("stance");
        a.list("body", n->body, 0, 255);
        std::array<uint8_t, kFaceClothes> face{};
        a.list("face", face, 0, 255);
        std::copy(face.begin(), face.end(), n->face.begin());
        n->face[kFaceClothes] = a.u8("clothes");
        npc_ = n.get();
        world_.people.push_back(std::move(n));
    }

    void topic(Args& a) {
        if (!npc_) fail("a topic belongs to a person");
        NpcTopic t;
        t.key = a.arg(0, "its key");
        t.reply = a.text("reply");
        t.chosen_reply = a.text("answer");
        t.request = a.text("request");
        t.hide_flag = a.u32("hide");
        npc_->topics.push_back(std::move(t));
        NpcRecord* npc = npc_;
        const size_t index = npc->topics.size() - 1;
        note_moved_line([npc, index] { return &npc->topics[index]; });
        expression_ = [npc, index]() -> Expression& { return npc->topics[index].expression; };
        actions_ = &npc->topics.back().actions;
    }

    void monster(Args& a) {
        auto m = std::make_unique<MonsterRecord>();
        a.id_and_name(*m);
        note_record(m.get());
        m->stance = a.u8("stance");
        a.list("body", m->body, 0, 255);
        a.list("map", m->map_params, INT32_MIN, INT32_MAX);
        m->dexterity = int32_t(a.number("dex", 0, 0, 10000));
        m->strength = int32_t(a.number("str", 1, 1, 10000));
        m->knowledge = int32_t(a.number("knw", 0, 0, 10000));
        m->defence = int32_t(a.number("def", 0, 0, 10000));
        m->resistance = int32_t(a.number("res", 0, 0, 10000));
        m->hit_points = int32_t(a.number("hp", 10, 10, 10000));
        m->level = int32_t(a.number("level", 1, 1, 1000));
        m->attack_kind = int32_t(a.number("attack", 0, 0, 2));
        m->spare_value = int32_t(a.number("spare", 0, 0, 100000));
        m->combat_sprite = a.text("sprite");
        m->appear_action = a.text("appear", MonsterRecord::kNoAppearAction);
        m->combat_music = a.text("music");
        m->music_order = a.i32("order");
        m->combat_value2 = int32_t(a.number("offset", 0, 0, 200));
        m->fixed_stats = int32_t(a.number("fixed", 0, 0, 1));
        m->rank = int32_t(a.number("rank", 0, 0, 4));
        // Reading folds classes 5 and 6, so a compiled story cannot hold them.
        m->monster_class = int32_t(a.number("class", 0, 0, 4));
        m->physical_weakness = int32_t(a.number("physical", 0, 0, 4));
        m->magic_weakness = int32_t(a.number("magic", 0, 0, 4));
        m->cannot_flee = int32_t(a.number("noflee", 0, 0, 1));
        monster_ = m.get();
        actions_ = &m->reward_actions;
        expression_ = nullptr;
        world_.monsters.push_back(std::move(m));
    }

    void loot(Args& a) {
        if (!monster_) fail("loot belongs to a monster");
        monster_->item_ids.push_back(a.id());
        monster_->item_values.push_back(a.text("value"));
    }

    void trigger(Args& a) {
        auto t = std::shared_ptr<Trigger>(new Trigger());
        t->id = a.id();
        note_record(t.get());
        t->repeatable = uint8_t(a.number("repeat", 0, 0, 1));
        t->value = a.u16("value");
        const uint32_t level = a.u32("level");
        if (plan_.people_in_files) {
            if (level == 0) fail("with people_files = 1 every trigger names the level whose file holds it");
            plan_.level_triggers[level].push_back(t);
        } else {
            if (level != 0) fail("level = is for people_files = 1 only");
            world_.triggers.push_back(t);
        }
        Trigger* trigger = t.get();
        expression_ = [trigger]() -> Expression& { return trigger->expression; };
        actions_ = &t->actions;
    }

    void when(Args& a) {
        if (!expression_) fail("a condition follows a topic, trigger, encounter or expression action");
        Condition c;
        const int64_t kind = a.number("kind", 0, 1, 10);
        if (kind == 0) fail("a condition needs its kind");
        c.kind = uint8_t(kind | (a.number("not", 0, 0, 1) ? 0x80 : 0));
        c.aux = a.u8("aux");
        c.id = a.u32("id");
        c.value = a.u32("value");
        expression_().conditions.push_back(c);
        const auto expression = expression_;
        const size_t index = expression().conditions.size() - 1;
        note_moved_line([expression, index] { return &expression().conditions[index]; });
    }

    void action(Args& a) {
        if (!actions_) fail("an action follows a topic, trigger or monster");
        auto act = std::make_shared<Action>();
        note_line(act.get());
        if (lines_) lines_->note_code(act.get(), a.arg(0, "its code"));
        const int64_t code = parse_number(a.arg(0, "its code"));
        if (code < 0 || code > 0xFFFF) fail("action codes are 16-bit");
        act->code = uint16_t(code);
        act->a = a.u32("a");
        act->b = a.u32("b");
        act->c = a.u32("c");
        act->text = a.text("text");
        const ActionForm form = act->form();
        if (a.has("c") && form != ActionForm::ThreeNumbers) fail("this action keeps no c");
        if (a.has("text") && form != ActionForm::TwoNumbersText) fail("this action keeps no text");
        const uint16_t position = uint16_t(a.number("pos", int64_t(actions_->size()), 0, 0xFFFF));
        actions_->insert(act, position);
        if (form == ActionForm::TwoNumbersExpression) {
            Action* owner = act.get();
            expression_ = [owner]() -> Expression& { return owner->expression; };
        }
    }

    void recipes(Args& a) {
        auto c = std::make_unique<RecipeCategory>();
        c->name = a.arg(0, "a name");
        c->value = a.u32("value");
        recipes_ = c.get();
        world_.recipe_categories.push_back(std::move(c));
    }

    void recipe(Args& a) {
        if (!recipes_) fail("a recipe belongs to a recipe category");
        RecipeItem r;
        r.text1 = a.arg(0, "a text");
        r.text2 = a.text("text2");
        a.list("values", r.values, INT32_MIN, INT32_MAX);
        recipes_->items.push_back(std::move(r));
    }

    World& world_;
    StoryFolderPlan& plan_;
    MapRegion* region_ = nullptr;
    Map* map_ = nullptr;
    MapLevel* level_ = nullptr;
    ItemGroup* group_ = nullptr;
    NpcRecord* npc_ = nullptr;
    MonsterRecord* monster_ = nullptr;
    RecipeCategory* recipes_ = nullptr;
    // The expression the next condition joins (empty: none); reached
    // through its owner, since a topic's or an encounter's moves as its
    // list grows.
    std::function<Expression&()> expression_;
    ActionList* actions_ = nullptr;
    std::map<char, TileCell> legend_;
    int32_t rows_ = 0;  // rows of the open level so far
    StorySourceLines* lines_;
    int line_ = 0;  // of the statement being read
    std::vector<std::pair<std::function<const void*()>, int>> moved_lines_;
};

}  // namespace

std::vector<StorySourceError> parse_story_source(const std::string& text, World& world, StoryFolderPlan& plan,
                                                 StorySourceLines* lines) {
    std::vector<StorySourceError> errors;
    Parser parser(world, plan, lines);
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++number;
        try {
            if (auto st = parse_line(text.substr(start, end - start), number)) parser.statement(*st);
        } catch (const SourceFailure& f) {
            errors.push_back({number, f.message});
        }
        start = end + 1;
    }
    try {
        parser.close_level();
    } catch (const SourceFailure& f) {
        errors.push_back({number, f.message});
    }
    parser.note_moved_lines();
    return errors;
}

std::vector<StorySourceError> check_story_source(const std::string& text, World& world, StoryFolderPlan& plan) {
    StorySourceLines lines;
    std::vector<StorySourceError> found = parse_story_source(text, world, plan, &lines);
    if (found.empty()) found = validate_story(world, plan, &lines);
    return found;
}

bool has_errors(const std::vector<StorySourceError>& found) {
    return std::any_of(found.begin(), found.end(), [](const StorySourceError& e) { return !e.warning; });
}

int StorySourceLines::line_of(const void* where) const {
    const auto it = lines_.find(where);
    return it == lines_.end() ? 0 : it->second;
}

std::string StorySourceLines::code_of(const Action& action) const {
    const auto it = codes_.find(&action);
    if (it != codes_.end()) return it->second;
    return hex_id(action.code);
}
