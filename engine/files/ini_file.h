// The parsed form of a key file: bracketed sections, "key = value, value"
// lines, ";" comments. Repeating a key within a section makes the next
// instance of that section, so sections hold lists of records. Values are
// integers (decimal, "0x" and "#" hexadecimal, 'c' characters, symbolic
// names OR-ed together), "_" fixed-point numbers read as doubles, quoted
// strings and "{" multi-line strings. Names compare without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/core/memory_pool.h"

enum IniValueType : uint8_t { kIniInteger = 1, kIniString = 3, kIniDouble = 4 };

struct IniValue {
    uint8_t index = 0;  // value index within its key line
    uint8_t type = kIniInteger;
    int32_t integer = 0;
    double number = 0;
    std::string text;
    std::unique_ptr<std::u16string> wide;  // made by get_wstring
};

struct IniKey {
    const char* name;  // interned by the document
    std::vector<IniValue> values;

    IniValue* find_value(int32_t index);
};

struct IniInstance {
    int32_t index;
    std::vector<std::unique_ptr<IniKey>> keys;

    IniKey* find_key(std::string_view name) const;
};

struct IniSection {
    const char* name;  // interned; null for the unnamed section
    std::vector<std::unique_ptr<IniInstance>> instances;
    // Key lines seen so far per key: the next line of a key goes to the
    // instance of that number. Sections have few distinct keys.
    struct KeyLines {
        const char* name;  // interned
        int32_t count;
    };
    std::vector<KeyLines> key_lines;
};

// A symbolic name and its value. A caller's static table ends with a null
// name; its hashes start as 0xFFFFFFFF and are filled by set_symbol_table.
struct IniSymbol {
    const char* name;
    int32_t value;
    uint32_t hash;
};

// h = h * 13 + c over the name's signed 8-bit codes, with 32-bit wrap.
uint32_t ini_symbol_hash(std::string_view name);

class IniFile : public PoolObject {
public:
    IniFile() = default;
    ~IniFile() = default;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Reads the whole file through the file system and parses it. 0 when
    // the file cannot be read (nothing parsed).
    int load(std::u16string_view file_name);
    // Adds the text's sections and keys to the document. Returns 1.
    int parse(std::string_view text);
    void clear();

    // Fills in the hashes and attaches the table; call before load.
    void set_symbol_table(IniSymbol* table);
    void define_symbol(const char* name, int32_t value);
    // Static table first, then the defined symbols; unknown names give 0.
    int32_t symbol_value(std::string_view name) const;

    // `section` null (or "") is the unnamed section; instance and index
    // count from 0. The default comes back when anything is missing or the
    // value has another type.
    int32_t get_int(int32_t fallback, const char* key, const char* section,
                    int32_t instance = 0, int32_t index = 0);
    const char* get_string(const char* fallback, const char* key, const char* section,
                           int32_t instance = 0, int32_t index = 0);
    // Each byte widened as a signed 8-bit value (0xE9 becomes 0xFFE9). Valid
    // until the next get_wstring of the same value or the document's end.
    const char16_t* get_wstring(const char16_t* fallback, const char* key, const char* section,
                                int32_t instance = 0, int32_t index = 0);
    int has_value(const char* key, const char* section, int32_t instance = 0, int32_t index = 0);

    IniSection* find_section(const char* section) const;
    IniKey* find_key(const char* section, int32_t instance, const char* key) const;
    IniValue* find_value(const char* section, int32_t instance, const char* key, int32_t index) const;

    int32_t section_count() const { return int32_t(sections_.size()); }
    const IniSection* section(int32_t i) const { return sections_[size_t(i)].get(); }
    const std::u16string& file_name() const { return file_name_; }

private:
    friend class IniParser;

    const char* intern(std::string_view name);
    IniSection& section_named(std::string_view name);  // made when missing
    IniSection& unnamed_section();
    // The key of the next line of `name` in the section.
    IniKey& add_key_line(IniSection& section, std::string_view name);
    // Stores a line's values; a repeated index keeps the first.
    static void set_values(IniKey& key, std::vector<IniValue>& values);

    std::vector<std::unique_ptr<IniSection>> sections_;
    std::unordered_map<std::string, IniSection*> sections_by_name_;  // folded names
    IniSection* unnamed_ = nullptr;
    std::vector<IniSymbol> dynamic_symbols_;
    std::vector<std::unique_ptr<char[]>> dynamic_names_;
    IniSymbol* static_symbols_ = nullptr;
    // Interned section and key names, compared case-sensitively.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    std::unordered_set<std::string, NameHash, std::equal_to<>> names_;
    std::u16string file_name_;
};

// Copies the next line of a NUL-terminated text into the buffer (cut at
// size - 1 bytes, terminated) and moves the cursor past the line and the
// line breaks after it. Empty lines are skipped. 0 at the end of the text.
int read_text_line(char* buffer, size_t size, const char*& cursor);

// The next line of the text between cursor and end, with the same rules;
// NUL counts as a line break. False at the end; an empty text may be given
// as two null pointers.
bool next_text_line(const char*& cursor, const char* end, std::string_view& line);
