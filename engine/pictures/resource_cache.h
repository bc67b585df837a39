// The use-counted store behind BitmapCache and SpriteDefCache: objects made
// from files, found again by file name (ignoring case, "/" equal to "\") and
// load flags, counted by their holders, and kept at count 0 until a purge so
// that a picture that leaves the screen and comes back is not decoded twice.
// Names beginning with "@" stand for objects made in memory: found by name
// while in use, but never kept at count 0, since no file can bring them back.
// A purge may come from inside any request for memory (running out of it
// purges the caches), so the list is never changed, nor an entry held, across
// a request: see append and set_name.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/core/source_place.h"
#include "engine/files/file_system.h"

// Called when a required file is missing (reason empty) or does not decode;
// the default ends the program with the fatal report, which names the place
// that reported the failure. Tests replace it.
using ResourceFailureHandler = void (*)(std::u16string_view name, const std::string& reason);
void set_resource_failure_handler(ResourceFailureHandler handler);  // null: the default
void report_resource_failure(std::u16string_view name, const std::string& reason,
                             SourcePlace where = SourcePlace::here());

// The key a name is found by: ASCII letters folded, "\" turned into "/".
std::u16string cache_key(std::u16string_view name);

template <typename T>
class ResourceCache {
public:
    ResourceCache() = default;
    ResourceCache(const ResourceCache&) = delete;
    ResourceCache& operator=(const ResourceCache&) = delete;

    // Teardown: every object goes, whatever its use count.
    virtual ~ResourceCache() {
        std::vector<Entry> entries;
        entries.swap(entries_);
        for (Entry& e : entries) delete e.object;
    }

    // 0: an object whose count falls to 0 is deleted at once; 1: named
    // objects stay cached at count 0 until purge.
    int32_t caching = 0;

    // Index of the entry with this name and these flags, or -1.
    int32_t find(std::u16string_view name, uint32_t flags) const {
        std::u16string key = cache_key(name);
        for (size_t i = 0; i < entries_.size(); ++i) {
            const Entry& e = entries_[i];
            if (e.named && e.flags == flags && e.key == key) return int32_t(i);
        }
        return -1;
    }

    // The cached object (one more use), or a new one read from the file.
    // A missing or undecodable file gives null, or the fatal report when
    // must_exist is set.
    T* get(std::u16string_view name, uint32_t flags, int must_exist) {
        int32_t found = find(name, flags);
        if (found >= 0) {
            ++entries_[size_t(found)].uses;
            return entries_[size_t(found)].object;
        }
        uint8_t* bytes = nullptr;
        int32_t size = 0;
        if (!g_file_system || g_file_system->load_file(name, &bytes, &size) != kFileOk) {
            if (must_exist) report_resource_failure(name, std::string());
            return nullptr;
        }
        std::string error;
        T* object =
            decode(name, std::string_view(reinterpret_cast<const char*>(bytes), size_t(size)), flags, must_exist, error);
        mem_free(bytes);
        if (!object) {
            if (must_exist) report_resource_failure(name, error);
            return nullptr;
        }
        append({object, std::u16string(name), cache_key(name), true, flags, 1});
        return object;
    }

    // One use less. At count 0 the object is deleted, unless it is named,
    // caching is on and the name does not begin with "@". An object the cache
    // does not hold is deleted at once; null is ignored.
    void release(T* object) {
        if (!object) return;
        int32_t i = index_of(object);
        if (i < 0) {
            delete object;
            return;
        }
        Entry& e = entries_[size_t(i)];
        if (--e.uses > 0) return;
        bool keep = e.named && caching == 1 && !(e.name.size() > 0 && e.name[0] == u'@');
        if (keep) {
            e.uses = 0;
            return;
        }
        remove_at(i);
    }

    void add_ref(T* object) {
        int32_t i = index_of(object);
        if (i >= 0) ++entries_[size_t(i)].uses;
    }

    // Holds an object made in memory, without a name, at count 1.
    int32_t add_unnamed(T* object) {
        append({object, std::u16string(), std::u16string(), false, 0, 1});
        return int32_t(entries_.size() - 1);
    }

    // Names a held object, so that find and get return it under that name.
    void set_name(T* object, std::u16string_view name) {
        // Copied before the entry is looked up: a purge for want of memory
        // while copying may move the entries.
        std::u16string copy(name);
        std::u16string key = cache_key(name);
        int32_t i = index_of(object);
        if (i < 0) return;
        Entry& e = entries_[size_t(i)];
        e.name = std::move(copy);
        e.key = std::move(key);
        e.named = true;
    }

    // An object its holder may change without changing other holders': the
    // object itself (now without a name) when this holder is its only one,
    // else a copy the cache does not hold.
    T* make_private(T* object) {
        int32_t i = index_of(object);
        if (i < 0) return object;
        Entry& e = entries_[size_t(i)];
        e.named = false;
        e.name.clear();
        e.key.clear();
        if (e.uses <= 1) return object;
        --e.uses;
        return copy(*object);
    }

    // Deletes every object nobody uses, keeping the order of the rest.
    void purge() {
        for (size_t i = 0; i < entries_.size();) {
            if (entries_[i].uses == 0) {
                remove_at(int32_t(i));
            } else {
                ++i;
            }
        }
    }

    // Inspection, for tests and the low-memory report.
    int32_t size() const { return int32_t(entries_.size()); }
    int32_t use_count(const T* object) const {
        int32_t i = index_of(object);
        return i < 0 ? -1 : entries_[size_t(i)].uses;
    }
    bool holds(const T* object) const { return index_of(object) >= 0; }
    // What one entry of the list takes, for tests of its growth.
    static constexpr size_t entry_bytes() { return sizeof(Entry); }

protected:
    // Makes an object from a whole file (bytes followed by two zero bytes);
    // null with a reason in error when the file does not decode. The files
    // it names in turn are required when the object itself is (must_exist):
    // a sprite asked for only if it is there is left out, rather than
    // ending the program, when its picture is missing or damaged.
    virtual T* decode(std::u16string_view name, std::string_view bytes, uint32_t flags, int must_exist,
                      std::string& error) = 0;
    virtual T* copy(const T& object) = 0;

private:
    struct Entry {
        T* object;
        std::u16string name;
        std::u16string key;
        bool named;
        uint32_t flags;
        int32_t uses;
    };

    int32_t index_of(const T* object) const {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].object == object) return int32_t(i);
        return -1;
    }

    // The list never grows by itself: the out-of-memory handler purges the
    // caches from inside the growth's own request, and a vector that is
    // erased from under its reallocation then moves the stale range back.
    // So larger storage is taken first, while the list is whole and nothing
    // refers into it, and the entries move over, which takes no memory.
    void append(Entry entry) {
        if (entries_.size() == entries_.capacity()) {
            std::vector<Entry> larger;
            larger.reserve(std::max<size_t>(1, entries_.size() * 2));
            // What a purge in that request left.
            for (Entry& e : entries_) larger.push_back(std::move(e));
            entries_.swap(larger);
        }
        entries_.push_back(std::move(entry));
    }

    // The entry leaves before its object is deleted: deleting a definition
    // releases its bitmap into the other cache, which must find this one
    // consistent.
    void remove_at(int32_t i) {
        T* object = entries_[size_t(i)].object;
        entries_.erase(entries_.begin() + i);
        delete object;
    }

    std::vector<Entry> entries_;
};
