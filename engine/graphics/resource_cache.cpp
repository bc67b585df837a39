#include "engine/graphics/resource_cache.h"

#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"

namespace {

// A missing file gets the missing-file report; a file that is there but
// does not decode, the broken-invariant report with the name and reason.
void end_program(std::u16string_view name, const std::string& reason) {
    if (reason.empty()) fatal_missing_file(name);
    fatal_broken_file(name, reason);
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
