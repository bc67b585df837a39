#include "engine/core/text_helpers.h"

#include <cstring>

#include "engine/core/memory_pool.h"

template <typename Char>
static bool equals_folded(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

bool equals_ignore_case(std::string_view a, std::string_view b) { return equals_folded(a, b); }
bool equals_ignore_case(std::u16string_view a, std::u16string_view b) { return equals_folded(a, b); }

std::string fold_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ascii_lower(c);
    return out;
}

std::u16string fold_case(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = ascii_lower(c);
    return out;
}

void append_decimal(std::u16string& out, int64_t value, int min_digits) {
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    char16_t digits[24];
    int n = 0;
    do {
        digits[n++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) out.push_back(u'-');
    for (int pad = n; pad < min_digits; ++pad) out.push_back(u'0');
    while (n) out.push_back(digits[--n]);
}

void format_duration(uint32_t ms, char16_t* buffer, int style) {
    uint32_t hours = ms / 3600000;
    uint32_t minutes = ms % 3600000 / 60000;
    uint32_t seconds = ms % 3600000 % 60000 / 1000;
    std::u16string text;
    append_decimal(text, hours, 2);
    if (style != 1) {
        text.push_back(u':');
        append_decimal(text, minutes, 2);
    }
    if (style != 1 && style != 2) {
        text.push_back(u':');
        append_decimal(text, seconds, 2);
    }
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

const char* skip_blanks(const char* text) {
    while (*text == ' ') ++text;
    return text;
}

void capitalize_words(char* text) {
    bool word_start = true;
    for (; *text; ++text) {
        if (*text == ' ') {
            word_start = true;
            continue;
        }
        *text = word_start ? ascii_upper(*text) : ascii_lower(*text);
        word_start = false;
    }
}

size_t wide_length(const char16_t* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

void wide_to_narrow(const char16_t* wide, char* narrow) {
    while (*wide) *narrow++ = char(uint8_t(*wide++));
    *narrow = 0;
}

void narrow_to_wide(char16_t* buffer, const char* narrow) {
    // Zero-extend: bytes 0x80..0xFF become U+0080..U+00FF.
    while (*narrow) *buffer++ = char16_t(uint8_t(*narrow++));
    *buffer = 0;
}

std::u16string narrow_to_wide(std::string_view narrow) {
    std::u16string wide(narrow.size(), u'\0');
    for (size_t i = 0; i < narrow.size(); ++i) wide[i] = char16_t(uint8_t(narrow[i]));
    return wide;
}

std::u16string narrow_to_wide_signed(std::string_view narrow) {
    std::u16string wide(narrow.size(), u'\0');
    for (size_t i = 0; i < narrow.size(); ++i) wide[i] = char16_t(int16_t(int8_t(narrow[i])));
    return wide;
}

std::string wide_to_narrow(std::u16string_view wide) {
    std::string narrow(wide.size(), '\0');
    for (size_t i = 0; i < wide.size(); ++i) narrow[i] = char(wide[i] & 0xFF);
    return narrow;
}

char16_t* narrow_to_wide_dup(const char* narrow) {
    auto* out = static_cast<char16_t*>(mem_alloc(2 * (std::strlen(narrow) + 1)));
    narrow_to_wide(out, narrow);
    return out;
}

char* dup_string(const char* text) {
    size_t n = std::strlen(text) + 1;
    auto* out = static_cast<char*>(mem_alloc(n));
    std::memcpy(out, text, n);
    return out;
}

char16_t* dup_wide_string(const char16_t* text) {
    size_t n = wide_length(text) + 1;
    auto* out = static_cast<char16_t*>(mem_alloc(n * sizeof(char16_t)));
    std::memcpy(out, text, n * sizeof(char16_t));
    return out;
}

static void append_utf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00u);
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        append_utf8(out, unit);
    }
    return out;
}

// Length of the UTF-8 sequence a lead byte starts, or 0 for a byte that
// cannot start one.
static int utf8_sequence_length(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xF0 && lead < 0xF5) return 4;
    return 0;
}

// Decodes one sequence at text[i]; 0xFFFFFFFF when it is malformed.
static uint32_t decode_utf8(std::string_view text, size_t i, int length) {
    static const uint8_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0 || i + size_t(length) > text.size()) return 0xFFFFFFFF;
    uint32_t code = uint8_t(text[i]) & kLeadMask[length];
    for (int k = 1; k < length; ++k) {
        uint8_t byte = uint8_t(text[i + size_t(k)]);
        if ((byte & 0xC0) != 0x80) return 0xFFFFFFFF;
        code = (code << 6) | (byte & 0x3F);
    }
    bool surrogate = code >= 0xD800 && code < 0xE000;
    if (code < kSmallest[length] || code > 0x10FFFF || surrogate) return 0xFFFFFFFF;
    return code;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        int length = utf8_sequence_length(uint8_t(text[i]));
        uint32_t code = decode_utf8(text, i, length);
        if (code == 0xFFFFFFFF) {
            out.push_back(char16_t(0xFFFD));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(char16_t(0xD800 + (code >> 10)));
            out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(char16_t(code));
        }
        i += size_t(length);
    }
    return out;
}
