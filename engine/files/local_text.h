// The numbered texts of "local.txt": lines of the form
//     #<id>: "text with \n escapes"
// read at engine start-up into UTF-16 entries (each byte one unit, high
// byte 0). Nothing looks texts up by id; the table is loaded and freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/memory_pool.h"

class LocalText : public PoolObject {
public:
    struct Entry {
        int32_t id;
        std::u16string text;
    };

    // Loads "local.txt" through the file system, when there is one.
    LocalText() { load(); }

    // Reads "local.txt"; a missing file leaves the table as it is.
    void load();
    // Reads every entry of `bytes`; lines that are not entries are skipped.
    void parse(const char* bytes, size_t size);

    int32_t count() const { return int32_t(entries_.size()); }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    void parse_line(const char* line, size_t length);

    std::vector<Entry> entries_;
};

// Lives from engine start-up to shutdown.
extern LocalText* g_local_text;
