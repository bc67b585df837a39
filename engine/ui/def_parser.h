// Reading one line of a ".def" menu file: "<KEYWORD name name=value name="quoted">".
// Lines whose first non-blank is not "<", lines that end right after the
// keyword and lines with an unknown keyword are ignored. Attribute names fold
// case; the first of two equal names counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Kind numbers of the keywords.
enum DefKind : int32_t {
    kDefNone = 0,
    kDefPage = 1,
    kDefEmpty = 2,
    kDefButton = 3,
    kDefCheck = 4,
    kDefRuler = 5,
    kDefText = 6,
    kDefSelectLine = 7,
    kDefSelection = 8,
    kDefOption = 9,
    kDefBitmap = 10,
    kDefConst = 11,
    kDefSlider = 12,
};

struct DefAttribute {
    std::u16string name;
    std::optional<std::u16string> value;  // empty optional for a bare name
    bool quoted = false;
};

struct DefLine {
    DefKind kind = kDefNone;
    std::vector<DefAttribute> attributes;

    const DefAttribute* find(std::u16string_view name) const;
    // The value of the first attribute of that name, or the default when it
    // is absent or bare.
    std::u16string get_attr_string(std::u16string_view name, std::u16string_view fallback) const;
    std::optional<std::u16string> get_attr_text(std::u16string_view name) const;
    int32_t get_attr_int(std::u16string_view name, int32_t fallback) const;
};

// Longest line read from a file; longer ones are cut.
constexpr size_t kMaxDefLine = 2047;

// Fills line and returns its kind; kDefNone for an ignored line.
DefKind parse_def_line(std::u16string_view text, DefLine& line);

// Signed decimal: leading blanks and a sign, digits up to the first other
// character; saturates to int32. No digits gives 0.
int32_t parse_def_int(std::u16string_view text);

// "CENTER" 2, "RIGHT" 3, "JUSTIFY"/"JUSTIFIED" 4, anything else 1 (left).
int32_t parse_align(std::u16string_view text);
