#include "engine/files/program_paths.h"

#include <filesystem>
#include <system_error>

#include "engine/core/text_helpers.h"

namespace {

std::u16string g_program_folder;
std::u16string g_state_folder;

std::u16string as_folder(std::u16string_view folder) {
    std::u16string out(folder);
    for (char16_t& c : out)
        if (c == u'\\') c = u'/';
    if (out.empty()) out = u"./";
    if (out.back() != u'/') out.push_back(u'/');
    return out;
}

void append_with_slashes(std::u16string& out, std::u16string_view text) {
    for (char16_t c : text) out.push_back(c == u'\\' ? u'/' : c);
}

}  // namespace

void init_program_folder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::filesystem::path folder = error ? std::filesystem::current_path(error) : exe.parent_path();
    set_program_folder(utf8_to_utf16(folder.string()));
}

void set_program_folder(std::u16string_view folder) { g_program_folder = as_folder(folder); }

const std::u16string& program_folder() {
    if (g_program_folder.empty()) init_program_folder();
    return g_program_folder;
}

void set_state_folder(std::u16string_view folder) {
    if (folder.empty())
        g_state_folder.clear();
    else
        g_state_folder = as_folder(folder);
}

const std::u16string& state_folder() {
    return g_state_folder.empty() ? program_folder() : g_state_folder;
}

std::u16string resolve_path(std::u16string_view name, std::u16string_view folder) {
    if (!name.empty() && name[0] == u'/') return std::u16string(name);
    if (!name.empty() && name[0] == u'\\') {
        std::u16string out = state_folder();
        append_with_slashes(out, name.substr(1));
        return out;
    }
    std::u16string out = program_folder();
    if (!folder.empty()) {
        append_with_slashes(out, folder);
        out.push_back(u'/');
    }
    append_with_slashes(out, name);
    return out;
}
