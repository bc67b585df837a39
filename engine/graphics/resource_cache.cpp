#include "engine/graphics/resource_cache.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/text_helpers.h"
#include "engine/platform/platform.h"

namespace {

// A missing file ends the program with code 0, a broken one with 1, as the
// engine's other fatal reports do.
void end_program(std::u16string_view name, const std::string& reason) {
    const std::string file = utf16_to_utf8(name);
    if (reason.empty()) {
        std::fprintf(stderr, "Failed to open file:\n%s\nexiting application.\n", file.c_str());
    } else {
        std::fprintf(stderr, "Failed to load file:\n%s\n%s\nexiting application.\n", file.c_str(), reason.c_str());
    }
    if (has_platform()) exit_program(reason.empty() ? 0 : 1);
    std::exit(reason.empty() ? 0 : 1);
}

ResourceFailureHandler g_failure_handler = end_program;

}  // namespace

void set_resource_failure_handler(ResourceFailureHandler handler) {
    g_failure_handler = handler ? handler : end_program;
}

void report_resource_failure(std::u16string_view name, const std::string& reason) { g_failure_handler(name, reason); }

std::u16string cache_key(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& c : key) c = c == u'\\' ? u'/' : ascii_lower(c);
    return key;
}
