#include "engine/pictures/resource_cache.h"

#include "engine/core/fatal_report.h"
#include "engine/core/text_helpers.h"

namespace {

// Null: the program ends with the fatal report.
ResourceFailureHandler g_failure_handler = nullptr;

}  // namespace

void set_resource_failure_handler(ResourceFailureHandler handler) { g_failure_handler = handler; }

// A missing file gets the missing-file report; a file that is there but
// does not decode, the broken-invariant report with the name and reason.
void report_resource_failure(std::u16string_view name, const std::string& reason, SourcePlace where) {
    if (g_failure_handler) {
        g_failure_handler(name, reason);
        return;
    }
    if (reason.empty()) fatal_missing_file(name);
    fatal_broken_file(name, reason, where);
}

std::u16string cache_key(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& c : key) c = c == u'\\' ? u'/' : ascii_lower(c);
    return key;
}
