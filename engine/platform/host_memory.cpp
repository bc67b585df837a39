#include "engine/platform/host_memory.h"

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::optional<uint64_t> read_kilobytes(std::string_view text) {
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos || text[at] < '0' || text[at] > '9') return std::nullopt;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t kilobytes = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const uint64_t digit = uint64_t(text[at] - '0');
        if (kilobytes > (kMax - digit) / 10) return kMax;
        kilobytes = kilobytes * 10 + digit;
    }
    return kilobytes > kMax / 1024 ? kMax : kilobytes * 1024;
}

std::string read_meminfo() {
    std::string text;
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file) return text;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    std::fclose(file);
    return text;
}

uint64_t free_physical_pages_bytes() {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return uint64_t(pages) * uint64_t(page_size);
}

}  // namespace

std::optional<uint64_t> mem_available_from_meminfo(std::string_view meminfo) {
    constexpr std::string_view kKey = "MemAvailable:";
    for (size_t start = 0; start < meminfo.size();) {
        size_t end = meminfo.find('\n', start);
        if (end == std::string_view::npos) end = meminfo.size();
        const std::string_view line = meminfo.substr(start, end - start);
        if (line.substr(0, kKey.size()) == kKey) return read_kilobytes(line.substr(kKey.size()));
        start = end + 1;
    }
    return std::nullopt;
}

uint64_t host_available_memory_bytes() {
    static std::mutex guard;
    static MemoryReading reading;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const std::lock_guard lock(guard);
    return reading.get(uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()), [] {
        if (std::optional<uint64_t> available = mem_available_from_meminfo(read_meminfo())) return *available;
        return free_physical_pages_bytes();
    });
}

void keep_freed_memory_for_reuse() {
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, int(kKeptFreeBytes));
    mallopt(M_MMAP_THRESHOLD, int(kHeapBlockLimit));
#endif
}

void warm_heap(size_t bytes) {
    // Pieces well below kHeapBlockLimit come from the heap, and freed
    // together they stay there (below kKeptFreeBytes).
    constexpr size_t kPiece = size_t(64) << 10;
    constexpr size_t kPage = 4096;
    bytes = std::min(bytes, kKeptFreeBytes);
    std::vector<void*> pieces;
    pieces.reserve(bytes / kPiece + 1);
    for (size_t done = 0; done < bytes; done += kPiece) {
        auto* piece = static_cast<volatile char*>(std::malloc(kPiece));
        if (!piece) break;
        for (size_t at = 0; at < kPiece; at += kPage) piece[at] = 0;
        pieces.push_back(const_cast<char*>(piece));
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) std::free(*it);
}
