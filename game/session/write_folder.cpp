#include "game/session/write_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"

namespace {

bool is_folder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Why `folder` cannot be made or written into, or "" when it can.
std::string folder_problem(const std::string& folder, const char* what) {
    if (!is_folder(folder)) return std::string("cannot make the ") + what + " '" + folder + "'";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return std::string("the ") + what + " '" + folder + "' is not writable: " + std::strerror(errno);
    return {};
}

}  // namespace

bool make_folder_with_parents(const std::string& path) {
    // Each level in turn; existing ones are fine.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    mkdir(path.c_str(), 0755);
    return is_folder(path);
}

std::string prepare_state_folder(const std::string& folder) {
    const std::string saves = folder + "/savegame";
    make_folder_with_parents(saves);
    // An existing folder that refuses the save folder is named as what it is.
    std::string problem = folder_problem(folder, "state folder");
    if (problem.empty()) problem = folder_problem(saves, "save folder");
    return problem;
}

std::string choose_write_folder(const std::string& program_folder) {
    if (!program_folder.empty() && access(program_folder.c_str(), W_OK) == 0) return program_folder;
    std::string home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') home = xdg;
    else if (const char* user = std::getenv("HOME"); user && *user) home = std::string(user) + "/.local/share";
    else home = "/tmp";
    const std::string folder = home + "/tarrowind";
    make_folder_with_parents(folder);
    return folder;
}

std::string write_folder_path(const std::string& name) {
    std::string folder = utf16_to_utf8(state_folder());
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + name;
}
