// Feeds arbitrary bytes to the key-file parser and reads back every value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/files/ini_file.h"

namespace {

IniSymbol g_symbols[] = {{"ALPHA_PIXEL", 2, 0xFFFFFFFF}, {"TRANS_COLOR", 0x10, 0xFFFFFFFF}, {nullptr, 0, 0}};

void read_everything(IniFile& ini) {
    for (int32_t s = 0; s < ini.section_count(); ++s) {
        const IniSection* section = ini.section(s);
        for (const auto& instance : section->instances)
            for (const auto& key : instance->keys)
                for (const IniValue& value : key->values) {
                    ini.get_int(0, key->name, section->name, instance->index, value.index);
                    ini.get_string("", key->name, section->name, instance->index, value.index);
                    ini.get_wstring(u"", key->name, section->name, instance->index, value.index);
                }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    IniFile ini;
    ini.set_symbol_table(g_symbols);
    ini.define_symbol("EXTRA", 0x40);
    // An empty file reaches the parser as the readers hand it over: no
    // bytes at a null pointer (an empty vector's data).
    ini.parse(size == 0 ? std::string_view() : std::string_view(text));
    read_everything(ini);

    // The line reader on the same bytes as a NUL-terminated text.
    const char* cursor = text.c_str();
    char line[64];
    while (read_text_line(line, sizeof line, cursor)) {
    }
    return 0;
}
