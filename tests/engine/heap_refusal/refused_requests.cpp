#include "refused_requests.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_refused_bytes{0};  // 0: nothing is refused
std::atomic<int> g_to_refuse{0};
std::atomic<int> g_refused{0};

bool refuse(size_t bytes) {
    if (bytes == 0 || bytes != g_refused_bytes.load()) return false;
    int left = g_to_refuse.load();
    while (left > 0) {
        if (g_to_refuse.compare_exchange_weak(left, left - 1)) {
            ++g_refused;
            return true;
        }
    }
    return false;
}

void* allocate(size_t bytes) {
    while (true) {
        if (!refuse(bytes)) {
            if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
        }
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void refuse_requests_of(size_t bytes, int count) {
    g_refused = 0;
    g_to_refuse = count;
    g_refused_bytes = bytes;
}

int refused_requests() { return g_refused; }

// Every form the program may use goes through malloc and free, so that
// whichever of them allocates, its matching delete releases.
void* operator new(size_t bytes) { return allocate(bytes); }
void* operator new[](size_t bytes) { return allocate(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return allocate(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
