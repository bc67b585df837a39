#include "engine/graphics/resource_cache.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/text_helpers.h"

namespace {

void end_program(std::u16string_view name, const std::string& reason) {
    std::string narrow(name.size(), '\0');
    for (size_t i = 0; i < name.size(); ++i) narrow[i] = char(name[i]);
    if (reason.empty()) {
        std::fprintf(stderr, "Failed to open file:\n%s\nexiting application.\n", narrow.c_str());
    } else {
        std::fprintf(stderr, "Failed to load file:\n%s\n%s\nexiting application.\n", narrow.c_str(), reason.c_str());
    }
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
