// Sound file names come with either separator and in any case; on a file
// system that tells cases apart each part of the path is matched against the
// directory's entries without regard to case.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "sound/files/sound_file.h"

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of dir whose name equals part without regard to case.
bool find_entry(const std::string& dir, const std::string& part, std::string& found) {
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return false;
    bool matched = false;
    while (dirent* entry = ::readdir(listing)) {
        if (::strcasecmp(entry->d_name, part.c_str()) == 0) {
            found = entry->d_name;
            matched = true;
            break;
        }
    }
    ::closedir(listing);
    return matched;
}

std::string resolve(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.empty() || exists(path)) return path;
    std::string resolved = path[0] == '/' ? "/" : "";
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::string actual;
        if (part == "." || part == ".." || !find_entry(resolved.empty() ? "." : resolved, part, actual))
            actual = part;
        if (!resolved.empty() && resolved.back() != '/') resolved += '/';
        resolved += actual;
    }
    return resolved;
}

}  // namespace

bool sound_file_resolve_path(const char* name, char* out, int out_size) {
    if (!name || !out || out_size <= 0) return false;
    std::string path = resolve(name);
    if (path.size() + 1 > size_t(out_size)) return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}
