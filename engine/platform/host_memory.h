// How much memory the host can still give: on Linux the kernel's estimate
// of memory available to new programs without swapping ("MemAvailable" in
// /proc/meminfo, which counts reclaimable caches), elsewhere free pages.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The "MemAvailable:" figure of /proc/meminfo text, in bytes; none when the
// line is missing or unreadable. Saturates at the largest uint64_t.
std::optional<uint64_t> mem_available_from_meminfo(std::string_view meminfo);

// The host's available memory in bytes: MemAvailable when the kernel gives
// it, else the free physical pages; 0 when neither can be read.
uint64_t host_available_memory_bytes();
