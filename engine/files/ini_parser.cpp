// The key-file grammar: lines, sections, key lines and the kinds of values.
#include <algorithm>
#include <cstring>

#include "engine/core/fixed_math.h"
#include "engine/files/ini_file.h"

namespace {

constexpr size_t kMaxLineLength = 2047;  // longer lines are cut here

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_name_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }

uint32_t hex_digit_value(char c) {
    if (is_digit(c)) return uint32_t(c - '0');
    return uint32_t((c | 0x20) - 'a' + 10);
}

// The longest run from `start` of characters that `allowed` accepts.
template <typename Allowed>
std::string_view run_of(std::string_view line, size_t start, Allowed allowed) {
    size_t end = start;
    while (end < line.size() && allowed(line[end])) ++end;
    return line.substr(start, end - start);
}

// Hexadecimal digits as "%x" reads them (an optional "0x" first), wrapping
// modulo 2^32; text without digits reads 0.
uint32_t read_hex(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && text[1] == 'x' && is_hex_digit(text[2]))
        text.remove_prefix(2);
    uint32_t value = 0;
    for (char c : text) {
        if (!is_hex_digit(c)) break;
        value = value * 16 + hex_digit_value(c);
    }
    return value;
}

// A decimal as "%d" reads it, wrapping modulo 2^32; text that does not
// read gives 0.
int32_t read_decimal(std::string_view text) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    uint32_t value = 0;
    for (char c : text) {
        if (!is_digit(c)) break;
        value = value * 10 + uint32_t(c - '0');
    }
    return int32_t(negative ? 0u - value : value);
}

IniValue integer_value(int32_t integer) {
    IniValue value;
    value.type = kIniInteger;
    value.integer = integer;
    return value;
}

IniValue string_value(std::string text) {
    IniValue value;
    value.type = kIniString;
    value.text = std::move(text);
    return value;
}

}  // namespace

class IniParser {
public:
    IniParser(IniFile& document, std::string_view text)
        : document_(document), cursor_(text.data()), end_(text.data() + text.size()) {}

    void run() {
        std::string_view line;
        while (next_line(line)) parse_line(line);
    }

private:
    // What one value scan found: the value (if any is stored) and where the
    // scan stopped in the current line.
    struct Scan {
        bool store = true;
        IniValue value;
        size_t end = 0;
    };

    bool next_line(std::string_view& line) {
        if (!next_text_line(cursor_, end_, line)) return false;
        if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
        return true;
    }

    void parse_line(std::string_view line) {
        if (line[0] == ';') return;
        if (line[0] == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            section_ = &document_.section_named(name);
            return;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) return;
        std::string_view name = line.substr(0, equals);
        while (!name.empty() && is_blank(name.back())) name.remove_suffix(1);
        if (!section_) section_ = &document_.unnamed_section();
        IniKey& key = document_.add_key_line(*section_, name);
        parse_values(line, equals + 1, key);
    }

    void parse_values(std::string_view line, size_t position, IniKey& key) {
        // Indexes are one byte: past 255 they wrap and repeat, and a repeated
        // index keeps the first value.
        uint8_t index = 0;
        while (true) {
            while (position < line.size() && is_blank(line[position])) ++position;
            if (position < line.size() && line[position] == ';') break;
            Scan scan = scan_value(line, position);
            if (!scan.store) break;
            scan.value.index = index++;
            values_.push_back(std::move(scan.value));
            size_t comma = line.find(',', scan.end);
            if (comma == std::string_view::npos) break;
            position = comma + 1;
        }
        IniFile::set_values(key, values_);
    }

    // `line` may move on to a later line (multi-line strings).
    Scan scan_value(std::string_view& line, size_t start) {
        char first = start < line.size() ? line[start] : '\0';
        char second = start + 1 < line.size() ? line[start + 1] : '\0';
        if (first == '0' && second == 'x') {
            std::string_view run = run_of(line, start, [](char c) { return is_hex_digit(c) || c == 'x'; });
            return {true, integer_value(int32_t(read_hex(run.substr(2)))), start + run.size()};
        }
        if (first == '#') {
            std::string_view run = run_of(line, start, [](char c) { return is_hex_digit(c) || c == '#'; });
            return {true, integer_value(int32_t(read_hex(run.substr(1)))), start + run.size()};
        }
        if (first == '-' || is_digit(first)) {
            std::string_view run = run_of(line, start, [](char c) { return is_digit(c) || c == '-'; });
            return {true, integer_value(read_decimal(run)), start + run.size()};
        }
        if (first == '\'') return scan_character(line, start);
        if (first == '_') return scan_fixed(line, start);
        if (first == '"') return scan_quoted(line, start);
        if (first == '{') return scan_multi_line(line);
        if (is_letter(first)) return scan_symbols(line, start);
        return {true, integer_value(0), start};
    }

    // 'c' gives c's signed code. The value ends after the closing quote, or
    // after the character when there is none, never past the line's end.
    static Scan scan_character(std::string_view line, size_t start) {
        char c = start + 1 < line.size() ? line[start + 1] : '\0';
        size_t end = std::min(start + 2, line.size());
        if (end < line.size() && line[end] == '\'') ++end;
        return {true, integer_value(int8_t(c)), end};
    }

    static Scan scan_fixed(std::string_view line, size_t start) {
        std::string_view run = run_of(line, start, [](char c) {
            return is_digit(c) || c == '-' || c == '.' || c == '_';
        });
        std::string digits(run.substr(1));
        IniValue value;
        value.type = kIniDouble;
        value.number = parse_fixed(digits.c_str()) / 65536.0;
        return {true, std::move(value), start + run.size()};
    }

    // Up to the next double quote or the line's end; "\n" is a line break
    // and "\\" a backslash. The scan resumes after the closing quote.
    static Scan scan_quoted(std::string_view line, size_t start) {
        std::string text;
        size_t i = start + 1;
        while (i < line.size() && line[i] != '"') {
            char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (line[i] == '\\' && (next == 'n' || next == '\\')) {
                text.push_back(next == 'n' ? '\n' : '\\');
                i += 2;
            } else {
                text.push_back(line[i++]);
            }
        }
        return {true, string_value(std::move(text)), std::min(i + 1, line.size())};
    }

    // The quoted parts of the following lines up to one that begins with
    // "}", where the scan continues. Without that line the value is dropped.
    Scan scan_multi_line(std::string_view& line) {
        std::string text;
        std::string_view body;
        while (true) {
            if (!next_line(body)) return {false, {}, line.size()};
            if (body[0] == '}') break;
            if (body[0] != '"') continue;
            std::string_view quoted = body.substr(1);
            text.append(quoted.substr(0, quoted.find('"')));
        }
        line = body;
        return {true, string_value(std::move(text)), 1};
    }

    // Names separated by blanks, tabs and "|", OR-ed together for as long
    // as a letter follows.
    Scan scan_symbols(std::string_view line, size_t start) {
        int32_t bits = 0;
        size_t i = start;
        while (true) {
            size_t name_start = i;
            while (i < line.size() && is_name_char(line[i])) ++i;
            bits |= document_.symbol_value(line.substr(name_start, i - name_start));
            while (i < line.size() && (is_blank(line[i]) || line[i] == '|')) ++i;
            if (i >= line.size() || !is_letter(line[i])) break;
        }
        return {true, integer_value(bits), i};
    }

    IniFile& document_;
    const char* cursor_;
    const char* end_;
    IniSection* section_ = nullptr;
    std::vector<IniValue> values_;  // the current line's values, reused
};

int IniFile::parse(std::string_view text) {
    IniParser(*this, text).run();
    return 1;
}

// Only the end bounds the walk: an empty text may come as two null
// pointers (the data of an empty vector or view), which must read nothing.
bool next_text_line(const char*& cursor, const char* end, std::string_view& line) {
    auto is_break = [](char c) { return c == '\r' || c == '\n' || c == '\0'; };
    while (cursor < end && is_break(*cursor)) ++cursor;
    if (cursor >= end) return false;
    const char* start = cursor;
    while (cursor < end && !is_break(*cursor)) ++cursor;
    line = std::string_view(start, size_t(cursor - start));
    while (cursor < end && (*cursor == '\r' || *cursor == '\n')) ++cursor;
    return true;
}

int read_text_line(char* buffer, size_t size, const char*& cursor) {
    std::string_view line;
    if (size == 0 || !cursor) return 0;
    if (!next_text_line(cursor, cursor + std::strlen(cursor), line)) return 0;
    size_t length = std::min(line.size(), size - 1);
    std::memcpy(buffer, line.data(), length);
    buffer[length] = '\0';
    return 1;
}
