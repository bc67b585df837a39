// Finds files whose names differ from the asked-for name only in the case of
// ASCII letters, so that data written for a case-blind file system loads
// here: asking for "Story/Story.TXT" finds "story/story.txt". An exact match
// always wins over case variants. Folder listings are cached; a name missing from a cached
// listing makes the folder be listed again when it changed since.
#pragma once

#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

class CaseInsensitivePaths {
public:
    // The host path of the existing file or folder the path names, or
    // nothing when there is none. `path` uses '/' separators. A name found
    // before comes from memory without a check: when opening it fails, call
    // forget() and look again.
    std::optional<std::string> find(const std::string& path);
    void forget(const std::string& path);

    // The path to create or replace: folders resolved as by `find`, and the
    // last component replaced by an existing case variant if there is one,
    // so that saving never makes a twin that differs only in case.
    std::string for_writing(const std::string& path);

    // Drops every cached listing (after changes made behind our back).
    void clear();

private:
    struct Listing {
        std::unordered_set<std::string> exact;
        std::unordered_map<std::string, std::string> by_folded;  // first in name order wins
        timespec modified{};
        timespec listed{};
        bool readable = false;
    };

    // The actual name of `component` inside `folder`, or nothing.
    std::optional<std::string> match(const std::string& folder, std::string_view component);
    std::optional<std::string> lookup(const Listing& listing, std::string_view component) const;
    Listing& listing(const std::string& folder);
    bool listing_is_stale(const std::string& folder, const Listing& listing) const;
    static Listing read_listing(const std::string& folder);
    std::optional<std::string> walk(const std::string& path, bool resolve_last);

    std::mutex mutex_;
    std::unordered_map<std::string, Listing> listings_;
    std::unordered_map<std::string, std::string> found_;  // asked-for path -> host path
};
