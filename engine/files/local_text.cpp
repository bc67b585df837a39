#include "engine/files/local_text.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/files/file_system.h"

namespace {

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// The id between '#' and ':' as a C `atoi` would read it (blanks, a sign,
// digits up to the first other character), saturating instead of wrapping.
int32_t parse_id(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT32_MAX) + 1);
    }
    if (negative) value = -value;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The character a backslash escape stands for, or 0 for an unknown escape
// (which drops both characters).
char16_t escaped_char(char c) {
    switch (c) {
        case 'n': return u'\n';
        case 'r': return u'\r';
        case 't': return u'\t';
        case 'b': return u'\b';
        case '"': return u'"';
        case '\'': return u'\'';
        case '\\': return u'\\';
        default: return 0;
    }
}

}  // namespace

LocalText* g_local_text = nullptr;

void LocalText::load() {
    const std::optional<std::vector<uint8_t>> bytes = read_game_file(u"local.txt");
    if (bytes) parse(as_text(*bytes).data(), bytes->size());
}

void LocalText::parse(const char* bytes, size_t size) {
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && !is_line_end(bytes[end])) ++end;
        if (end > start) parse_line(bytes + start, end - start);
        start = end + 1;
    }
}

void LocalText::parse_line(const char* line, size_t length) {
    if (line[0] != '#') return;
    const char* colon = static_cast<const char*>(std::memchr(line, ':', length));
    if (!colon) return;
    Entry entry{parse_id(line + 1, size_t(colon - line - 1)), {}};

    const char* end = line + length;
    const char* quote = static_cast<const char*>(std::memchr(colon, '"', size_t(end - colon)));
    if (quote) {
        // The text runs to the next unescaped quote or to the end of the
        // line; a backslash at the very end of the line simply ends it.
        for (const char* p = quote + 1; p < end && *p != '"'; ++p) {
            if (*p != '\\') {
                entry.text.push_back(char16_t(uint8_t(*p)));
                continue;
            }
            if (++p == end) break;
            if (char16_t c = escaped_char(*p)) entry.text.push_back(c);
        }
    }
    entries_.push_back(std::move(entry));
}
