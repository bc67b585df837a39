#include "engine/files/case_insensitive_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "engine/core/text_helpers.h"

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

bool same_time(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Folder times can be as coarse as a scheduler tick: a change made within
// this margin of the listing may not show in the folder's time.
constexpr long kTimeMarginNs = 50'000'000;

bool within_margin(const timespec& earlier, const timespec& later) {
    long long ns = (long long)(later.tv_sec - earlier.tv_sec) * 1'000'000'000LL +
                   (later.tv_nsec - earlier.tv_nsec);
    return ns < kTimeMarginNs;
}

std::string join(const std::string& folder, std::string_view name) {
    std::string out = folder;
    if (out.empty() || out.back() != '/') out.push_back('/');
    out.append(name);
    return out;
}

}  // namespace

CaseInsensitivePaths::Listing CaseInsensitivePaths::read_listing(const std::string& folder) {
    Listing listing;
    clock_gettime(CLOCK_REALTIME, &listing.listed);
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return listing;
    listing.modified = info.st_mtim;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return listing;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        listing.by_folded.emplace(fold_case(name), name);
        listing.exact.insert(std::move(name));
    }
    listing.readable = true;
    return listing;
}

CaseInsensitivePaths::Listing& CaseInsensitivePaths::listing(const std::string& folder) {
    auto found = listings_.find(folder);
    if (found != listings_.end()) return found->second;
    return listings_.emplace(folder, read_listing(folder)).first->second;
}

bool CaseInsensitivePaths::listing_is_stale(const std::string& folder, const Listing& listing) const {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return listing.readable;
    return !same_time(info.st_mtim, listing.modified) || within_margin(listing.modified, listing.listed);
}

std::optional<std::string> CaseInsensitivePaths::lookup(const Listing& listing,
                                                       std::string_view component) const {
    std::string name(component);
    if (listing.exact.count(name)) return name;
    auto found = listing.by_folded.find(fold_case(component));
    if (found != listing.by_folded.end()) return found->second;
    return std::nullopt;
}

std::optional<std::string> CaseInsensitivePaths::match(const std::string& folder,
                                                      std::string_view component) {
    if (component == "." || component == "..") return std::string(component);
    Listing& cached = listing(folder);
    // A folder we may pass through but not list: only the exact name can work.
    if (!cached.readable) return std::string(component);
    if (auto name = lookup(cached, component)) return name;
    if (!listing_is_stale(folder, cached)) return std::nullopt;
    cached = read_listing(folder);
    return lookup(cached, component);
}

std::optional<std::string> CaseInsensitivePaths::walk(const std::string& path, bool resolve_last) {
    std::string resolved = path.empty() || path[0] != '/' ? "." : "/";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string_view component(path.data() + start, end - start);
        bool last = end == path.size();
        if (!component.empty()) {
            std::optional<std::string> name = match(resolved, component);
            if (!name) {
                if (!last || resolve_last) return std::nullopt;
                name = std::string(component);
            }
            resolved = join(resolved, *name);
        }
        start = end + 1;
    }
    return resolved;
}

std::optional<std::string> CaseInsensitivePaths::find(const std::string& path) {
    if (exists(path)) return path;
    std::lock_guard lock(mutex_);
    auto known = found_.find(path);
    if (known != found_.end()) return known->second;
    std::optional<std::string> resolved = walk(path, true);
    if (!resolved) return std::nullopt;
    if (!exists(*resolved)) {
        // A cached name has gone (removed or renamed): list everything again.
        listings_.clear();
        resolved = walk(path, true);
        if (!resolved || !exists(*resolved)) return std::nullopt;
    }
    found_.emplace(path, *resolved);
    return resolved;
}

void CaseInsensitivePaths::forget(const std::string& path) {
    std::lock_guard lock(mutex_);
    found_.erase(path);
    listings_.clear();
}

std::string CaseInsensitivePaths::for_writing(const std::string& path) {
    if (exists(path)) return path;
    std::lock_guard lock(mutex_);
    std::optional<std::string> resolved = walk(path, false);
    return resolved ? *resolved : path;
}

void CaseInsensitivePaths::clear() {
    std::lock_guard lock(mutex_);
    listings_.clear();
    found_.clear();
}
