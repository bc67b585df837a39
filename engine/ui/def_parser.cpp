#include "engine/ui/def_parser.h"

#include <array>

#include "engine/core/text_helpers.h"

namespace {

struct KeywordEntry {
    std::u16string_view keyword;
    DefKind kind;
};

constexpr std::array<KeywordEntry, 12> kKeywords{{
    {u"PAGE", kDefPage},
    {u"EMPTY", kDefEmpty},
    {u"BUTTON", kDefButton},
    {u"CHECK", kDefCheck},
    {u"RULER", kDefRuler},
    {u"TEXT", kDefText},
    {u"SELECTLINE", kDefSelectLine},
    {u"SELECTION", kDefSelection},
    {u"OPTION", kDefOption},
    {u"BITMAP", kDefBitmap},
    {u"CONST", kDefConst},
    {u"SLIDER", kDefSlider},
}};

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

DefKind lookup_keyword(std::u16string_view word) {
    for (const KeywordEntry& entry : kKeywords)
        if (equals_ignore_case(entry.keyword, word)) return entry.kind;
    return kDefNone;
}

// Reads the attributes from pos to ">" or the end of the text.
void parse_attributes(std::u16string_view text, size_t pos, std::vector<DefAttribute>& out) {
    const size_t n = text.size();
    auto skip_blanks_at = [&](size_t p) {
        while (p < n && is_blank(text[p])) ++p;
        return p;
    };
    while (true) {
        pos = skip_blanks_at(pos);
        if (pos >= n || text[pos] == u'>') return;
        size_t start = pos;
        while (pos < n && !is_blank(text[pos]) && text[pos] != u'=' && text[pos] != u'>') ++pos;
        DefAttribute attribute;
        attribute.name = std::u16string(text.substr(start, pos - start));
        size_t after = skip_blanks_at(pos);
        if (after < n && text[after] == u'=') {
            pos = skip_blanks_at(after + 1);
            if (pos < n && text[pos] == u'"') {
                size_t close = text.find(u'"', pos + 1);
                size_t end = close == std::u16string_view::npos ? n : close;
                attribute.value = std::u16string(text.substr(pos + 1, end - pos - 1));
                attribute.quoted = true;
                pos = close == std::u16string_view::npos ? n : close + 1;
            } else {
                start = pos;
                while (pos < n && !is_blank(text[pos]) && text[pos] != u'>') ++pos;
                attribute.value = std::u16string(text.substr(start, pos - start));
            }
        }
        // A name alone with nothing to read (e.g. "=" at the start) would not
        // move; an empty name is kept but the cursor always advances.
        if (attribute.name.empty() && !attribute.value) {
            ++pos;
            continue;
        }
        out.push_back(std::move(attribute));
    }
}

}  // namespace

const DefAttribute* DefLine::find(std::u16string_view name) const {
    for (const DefAttribute& a : attributes)
        if (equals_ignore_case(a.name, name)) return &a;
    return nullptr;
}

std::optional<std::u16string> DefLine::get_attr_text(std::u16string_view name) const {
    const DefAttribute* a = find(name);
    if (!a || !a->value) return std::nullopt;
    return *a->value;
}

std::u16string DefLine::get_attr_string(std::u16string_view name, std::u16string_view fallback) const {
    std::optional<std::u16string> text = get_attr_text(name);
    return text ? *text : std::u16string(fallback);
}

int32_t DefLine::get_attr_int(std::u16string_view name, int32_t fallback) const {
    std::optional<std::u16string> text = get_attr_text(name);
    return text ? parse_def_int(*text) : fallback;
}

DefKind parse_def_line(std::u16string_view text, DefLine& line) {
    line.kind = kDefNone;
    line.attributes.clear();
    size_t pos = 0;
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != u'<') return kDefNone;
    size_t start = ++pos;
    while (pos < text.size() && !is_blank(text[pos]) && text[pos] != u'>') ++pos;
    if (pos >= text.size()) return kDefNone;  // nothing after the keyword
    DefKind kind = lookup_keyword(text.substr(start, pos - start));
    if (kind == kDefNone) return kDefNone;
    parse_attributes(text, pos, line.attributes);
    line.kind = kind;
    return kind;
}

int32_t parse_def_int(std::u16string_view text) {
    size_t pos = 0;
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) negative = text[pos++] == u'-';
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
        value = value * 10 + (text[pos] - u'0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return int32_t(value);
}

int32_t parse_align(std::u16string_view text) {
    if (equals_ignore_case(text, u"CENTER")) return 2;
    if (equals_ignore_case(text, u"RIGHT")) return 3;
    if (equals_ignore_case(text, u"JUSTIFY") || equals_ignore_case(text, u"JUSTIFIED")) return 4;
    return 1;
}
