// How much memory the host can still give: on Linux the kernel's estimate
// of memory available to new programs without swapping ("MemAvailable" in
// /proc/meminfo, which counts reclaimable caches), elsewhere free pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The "MemAvailable:" figure of /proc/meminfo text, in bytes; none when the
// line is missing or unreadable. Saturates at the largest uint64_t.
std::optional<uint64_t> mem_available_from_meminfo(std::string_view meminfo);

// A figure read from the host and kept for a while: reading /proc/meminfo
// costs three system calls and the kernel's count over every zone, and the
// game asks several times a frame for a figure that only matters against
// thresholds of whole megabytes.
class MemoryReading {
public:
    static constexpr uint64_t kLifetimeMs = 100;

    // The kept figure while younger than kLifetimeMs at `now_ms` (any
    // steady clock); else read() is called and its figure kept.
    template <typename Read>
    uint64_t get(uint64_t now_ms, Read read) {
        if (!taken_ || now_ms < taken_at_ms_ || now_ms - taken_at_ms_ >= kLifetimeMs) {
            bytes_ = read();
            taken_at_ms_ = now_ms;
            taken_ = true;
        }
        return bytes_;
    }

private:
    bool taken_ = false;
    uint64_t taken_at_ms_ = 0;
    uint64_t bytes_ = 0;
};

// The host's available memory in bytes: MemAvailable when the kernel gives
// it, else the free physical pages; 0 when neither can be read. A figure
// serves for MemoryReading::kLifetimeMs.
uint64_t host_available_memory_bytes();

// The map's ground pictures (50 kB each) are freed and made again all the
// time while the hero walks. Memory handed back to the host at once comes
// back one page fault per 4 kB, which on a virtual machine can cost more
// than drawing the picture; this makes the C allocator keep freed memory
// (up to kKeptFreeBytes at the top of its heap) for the next request, and
// serve requests below kHeapBlockLimit from that heap. Called by every
// platform at start.
inline constexpr size_t kKeptFreeBytes = size_t(32) << 20;
inline constexpr size_t kHeapBlockLimit = size_t(4) << 20;
void keep_freed_memory_for_reuse();

// Makes the C heap hold `bytes` of free memory whose pages the host has
// already given, so that pictures made later (while the hero walks) find
// their memory ready instead of faulting it in page by page. Cheap when
// the heap holds that much already.
void warm_heap(size_t bytes);
