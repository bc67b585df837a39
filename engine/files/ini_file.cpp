#include "engine/files/ini_file.h"

#include <cstring>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"

uint32_t ini_symbol_hash(std::string_view name) {
    uint32_t hash = 0;
    for (char c : name) hash = hash * 13 + uint32_t(int32_t(int8_t(c)));
    return hash;
}

IniValue* IniKey::find_value(int32_t index) {
    for (IniValue& value : values)
        if (value.index == index) return &value;
    return nullptr;
}

IniKey* IniInstance::find_key(std::string_view name) const {
    for (const auto& key : keys)
        if (equals_ignore_case(std::string_view(key->name), name)) return key.get();
    return nullptr;
}

int IniFile::load(std::u16string_view file_name) {
    file_name_ = std::u16string(file_name);
    const std::optional<std::vector<uint8_t>> bytes = read_game_file(file_name);
    if (!bytes) return 0;
    parse(as_text(*bytes));
    return 1;
}

void IniFile::clear() {
    sections_.clear();
    sections_by_name_.clear();
    unnamed_ = nullptr;
    dynamic_symbols_.clear();
    dynamic_names_.clear();
    static_symbols_ = nullptr;
    names_.clear();
}

void IniFile::set_symbol_table(IniSymbol* table) {
    for (IniSymbol* symbol = table; symbol && symbol->name; ++symbol)
        if (symbol->hash == 0xFFFFFFFF) symbol->hash = ini_symbol_hash(symbol->name);
    static_symbols_ = table;
}

void IniFile::define_symbol(const char* name, int32_t value) {
    size_t length = std::strlen(name) + 1;
    dynamic_names_.emplace_back(new char[length]);
    std::memcpy(dynamic_names_.back().get(), name, length);
    dynamic_symbols_.push_back({dynamic_names_.back().get(), value, ini_symbol_hash(name)});
}

int32_t IniFile::symbol_value(std::string_view name) const {
    // Names are compared as well as hashes: different names can share a hash.
    uint32_t hash = ini_symbol_hash(name);
    for (const IniSymbol* symbol = static_symbols_; symbol && symbol->name; ++symbol)
        if (symbol->hash == hash && name == symbol->name) return symbol->value;
    for (const IniSymbol& symbol : dynamic_symbols_)
        if (symbol.hash == hash && name == symbol.name) return symbol.value;
    return 0;
}

const char* IniFile::intern(std::string_view name) {
    auto found = names_.find(name);
    if (found != names_.end()) return found->c_str();
    return names_.emplace(name).first->c_str();
}

IniSection& IniFile::unnamed_section() {
    if (!unnamed_) {
        sections_.push_back(std::make_unique<IniSection>(IniSection{nullptr, {}, {}}));
        unnamed_ = sections_.back().get();
    }
    return *unnamed_;
}

IniSection& IniFile::section_named(std::string_view name) {
    if (name.empty()) return unnamed_section();
    std::string folded = fold_case(name);
    auto found = sections_by_name_.find(folded);
    if (found != sections_by_name_.end()) return *found->second;
    sections_.push_back(std::make_unique<IniSection>(IniSection{intern(name), {}, {}}));
    sections_by_name_.emplace(std::move(folded), sections_.back().get());
    return *sections_.back();
}

IniKey& IniFile::add_key_line(IniSection& section, std::string_view name) {
    const char* interned = intern(name);
    IniSection::KeyLines* lines = nullptr;
    for (IniSection::KeyLines& seen : section.key_lines)
        if (seen.name == interned || equals_ignore_case(std::string_view(seen.name), name)) {
            lines = &seen;
            break;
        }
    if (!lines) lines = &section.key_lines.emplace_back(IniSection::KeyLines{interned, 0});
    int32_t instance = lines->count++;
    while (int32_t(section.instances.size()) <= instance) {
        int32_t index = int32_t(section.instances.size());
        section.instances.push_back(std::make_unique<IniInstance>(IniInstance{index, {}}));
    }
    auto& keys = section.instances[size_t(instance)]->keys;
    keys.push_back(std::make_unique<IniKey>(IniKey{interned, {}}));
    return *keys.back();
}

void IniFile::set_values(IniKey& key, std::vector<IniValue>& values) {
    key.values.reserve(values.size());
    for (IniValue& value : values)
        if (!key.find_value(value.index)) key.values.push_back(std::move(value));
    values.clear();
}

IniSection* IniFile::find_section(const char* section) const {
    if (!section || !*section) return unnamed_;
    auto found = sections_by_name_.find(fold_case(section));
    return found == sections_by_name_.end() ? nullptr : found->second;
}

IniKey* IniFile::find_key(const char* section, int32_t instance, const char* key) const {
    IniSection* found = find_section(section);
    if (!found || !key || instance < 0 || instance >= int32_t(found->instances.size())) return nullptr;
    return found->instances[size_t(instance)]->find_key(key);
}

IniValue* IniFile::find_value(const char* section, int32_t instance, const char* key,
                              int32_t index) const {
    IniKey* found = find_key(section, instance, key);
    return found ? found->find_value(index) : nullptr;
}

int32_t IniFile::get_int(int32_t fallback, const char* key, const char* section, int32_t instance,
                         int32_t index) {
    IniValue* value = find_value(section, instance, key, index);
    return value && value->type == kIniInteger ? value->integer : fallback;
}

const char* IniFile::get_string(const char* fallback, const char* key, const char* section,
                                int32_t instance, int32_t index) {
    IniValue* value = find_value(section, instance, key, index);
    return value && value->type == kIniString ? value->text.c_str() : fallback;
}

const char16_t* IniFile::get_wstring(const char16_t* fallback, const char* key, const char* section,
                                     int32_t instance, int32_t index) {
    IniValue* value = find_value(section, instance, key, index);
    if (!value || value->type != kIniString) return fallback;
    value->wide = std::make_unique<std::u16string>(narrow_to_wide_signed(value->text));
    return value->wide->c_str();
}

int IniFile::has_value(const char* key, const char* section, int32_t instance, int32_t index) {
    return find_value(section, instance, key, index) ? 1 : 0;
}
