// Conversions between the 8-bit strings of the data and the UTF-16 strings of
// the platform, ASCII case folding, and small text formatters. Case folding
// touches ASCII letters only: data names are ASCII, and folding bytes above
// 0x7F would depend on a locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
constexpr char16_t ascii_lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool equals_ignore_case(std::string_view a, std::string_view b);
bool equals_ignore_case(std::u16string_view a, std::u16string_view b);
std::string fold_case(std::string_view text);
std::u16string fold_case(std::u16string_view text);

// Play time as "hh" (style 1), "hh:mm" (style 2) or "hh:mm:ss" (any other
// style), into a caller's buffer of at least 32 units. Play time is
// unsigned: hours simply go on past two digits.
void format_duration(uint32_t ms, char16_t* buffer, int style);

// Past the leading spaces (only the space character).
const char* skip_blanks(const char* text);
// In place: the first letter of each word upper case, the others lower case.
void capitalize_words(char* text);

// Each UTF-16 unit's low byte, then a terminating 0.
void wide_to_narrow(const char16_t* wide, char* narrow);
// Each byte widened with a zero high byte, terminator included.
void narrow_to_wide(char16_t* buffer, const char* narrow);
// The same into a new mem_alloc block.
char16_t* narrow_to_wide_dup(const char* narrow);
char* dup_string(const char* text);
char16_t* dup_wide_string(const char16_t* text);
size_t wide_length(const char16_t* text);

// The same rules for whole strings. Key files and fonts widen a byte as a
// signed value instead (0x80..0xFF become 0xFF80..0xFFFF); texts that meet
// such texts again (slot captions read back from the index) use that form.
std::u16string narrow_to_wide(std::string_view narrow);
std::u16string narrow_to_wide_signed(std::string_view narrow);
std::string wide_to_narrow(std::u16string_view wide);

// Proper UTF-8 <-> UTF-16 for host paths and report files. Unpaired
// surrogates and malformed bytes become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);
std::u16string utf8_to_utf16(std::string_view text);

// Appends a decimal number with at least `min_digits` digits ("%02d").
void append_decimal(std::u16string& out, int64_t value, int min_digits = 1);
