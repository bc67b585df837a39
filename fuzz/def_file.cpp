// Feeds arbitrary text to the menu reader as a ".def" file: every line goes
// through the line parser and its lookups, then the whole text builds a
// menu whose current page is laid out and driven with keys, taps and pen
// focus. Pictures are not loaded (their names come from the input).
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_cache.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/def_parser.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_menu.h"

namespace {

void parse_every_line(std::string_view text) {
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    std::string_view line;
    DefLine parsed;
    while (next_text_line(cursor, end, line)) {
        if (parse_def_line(narrow_to_wide_signed(line), parsed) == kDefNone) continue;
        for (const DefAttribute& a : parsed.attributes) {
            // The first attribute of each name is the one every lookup finds.
            if (parsed.find(a.name) == nullptr) __builtin_trap();
            parsed.get_attr_int(a.name, 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Fonts come from the demo data; nothing else is loaded.
    static bool ready = [] {
        const std::string demo = NIMBREL_DEMO_DATA_DIR;
        set_program_folder(std::u16string(demo.begin(), demo.end()));
        // Fonts named by the input may not exist: leave them empty.
        set_resource_failure_handler([](std::u16string_view, const std::string&) {});
        g_file_system = new FileSystem;
        create_resource_caches();
        // As in the game: decoded fonts stay cached between inputs.
        g_bitmap_cache->caching = 1;
        g_sprite_def_cache->caching = 1;
        return true;
    }();
    (void)ready;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    parse_every_line(text);

    SpriteGroup group;
    group.set_size(240, 320);
    UiMenu menu(&group);
    menu.load_def_text(text);
    menu.draw();
    menu.focus_first();
    std::u16string out;
    for (size_t i = 0; i < size && i < 64; ++i) {
        int32_t kind = 1 + data[i] % 6;
        int32_t param = kind == kMenuKey ? data[i] % 10 : pack_point(data[i], data[size - 1 - i]);
        menu.handle_event(kind, param, &out);
        // Redrawing renders every text anew: often enough to draw after
        // focus moves, page switches and replaced pictures, rarely enough
        // that pages of long texts stay fast under the sanitizers.
        if (i % 32 == 31) menu.draw();
    }
    menu.draw();
    menu.release();
    return 0;
}
