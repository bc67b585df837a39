// The asynchronous file worker: requests from handles in asynchronous mode
// are served in order by one low-priority thread. The queue is bounded; a
// caller that finds it full waits for room instead of overwriting a request.
// Without threads (the non-real-time output) requests are served at once.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "sound/files/sound_file.h"
#include "sound/system/sound_system.h"  // sound_is_nonrealtime

namespace {

constexpr size_t kMaxQueuedRequests = 64;

enum RequestType { REQUEST_CANCELLED = -1, REQUEST_READ = 0, REQUEST_SEEK = 1 };

struct SoundFileRequest {
    int type = REQUEST_READ;
    SoundFile* file = nullptr;
    void* buffer = nullptr;
    int element_size = 0;
    int element_count = 0;
    int seek_offset = 0;
    int origin = 0;
};

void stop_worker();

struct AsyncWorker {
    // A program that never closed the library still ends with the worker joined.
    ~AsyncWorker() { stop_worker(); }
    std::mutex lock;
    std::condition_variable request_ready;  // worker waits for work
    std::condition_variable room_free;      // callers wait for room
    std::deque<SoundFileRequest> queue;
    std::thread thread;
    bool running = false;
};
AsyncWorker g_worker;

void serve(const SoundFileRequest& request) {
    if (request.type == REQUEST_READ)
        sound_file_read_now(request.buffer, request.element_size, request.element_count, request.file);
    else if (request.type == REQUEST_SEEK)
        sound_file_seek_now(request.file, request.seek_offset, request.origin);
}

// The pending count falls only after the request was served, so a caller
// that waits for it sees the finished read or seek.
void serve_and_release(const SoundFileRequest& request) {
    serve(request);
    request.file->pending_requests.fetch_sub(1, std::memory_order_acq_rel);
}

// Best effort: the worker yields to the mixer and the game (a nicer thread).
void lower_own_priority() {
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 5);
}

void worker_main() {
    lower_own_priority();
    std::unique_lock<std::mutex> guard(g_worker.lock);
    for (;;) {
        g_worker.request_ready.wait(guard, [] { return !g_worker.queue.empty() || !g_worker.running; });
        if (g_worker.queue.empty()) return;  // stopped with nothing left to serve
        SoundFileRequest request = g_worker.queue.front();
        g_worker.queue.pop_front();
        g_worker.room_free.notify_all();
        guard.unlock();
        serve_and_release(request);
        guard.lock();
    }
}

bool threads_available() {
    return !sound_is_nonrealtime();
}

void start_worker_locked() {
    if (g_worker.running) return;
    g_worker.running = true;
    g_worker.thread = std::thread(worker_main);
}

void queue_request(const SoundFileRequest& request) {
    if (!threads_available()) {
        serve(request);
        return;
    }
    std::unique_lock<std::mutex> guard(g_worker.lock);
    start_worker_locked();
    g_worker.room_free.wait(guard, [] { return g_worker.queue.size() < kMaxQueuedRequests; });
    request.file->pending_requests.fetch_add(1, std::memory_order_acq_rel);
    g_worker.queue.push_back(request);
    g_worker.request_ready.notify_one();
}

}  // namespace

void sound_file_queue_read(SoundFile* file, void* buffer, int element_size, int count) {
    SoundFileRequest request;
    request.type = REQUEST_READ;
    request.file = file;
    request.buffer = buffer;
    request.element_size = element_size;
    request.element_count = count;
    queue_request(request);
}

void sound_file_queue_seek(SoundFile* file, int offset, int origin) {
    SoundFileRequest request;
    request.type = REQUEST_SEEK;
    request.file = file;
    request.seek_offset = offset;
    request.origin = origin;
    queue_request(request);
}

void sound_file_set_synchronous(SoundFile* file, int synchronous) {
    if (!file) return;
    file->synchronous = synchronous ? 1 : 0;
    if (!synchronous && threads_available()) {
        std::lock_guard<std::mutex> guard(g_worker.lock);
        start_worker_locked();
    }
}

void sound_file_wait_async(SoundFile* file) {
    if (!file) return;
    while (file->pending_requests.load(std::memory_order_acquire) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void sound_file_cancel_requests(SoundFile* file) {
    if (!file) return;
    std::lock_guard<std::mutex> guard(g_worker.lock);
    for (SoundFileRequest& request : g_worker.queue)
        if (request.file == file) request.type = REQUEST_CANCELLED;
}

void sound_file_async_shutdown() { stop_worker(); }

namespace {

void stop_worker() {
    std::thread worker;
    {
        std::lock_guard<std::mutex> guard(g_worker.lock);
        if (!g_worker.running) return;
        g_worker.running = false;
        g_worker.request_ready.notify_all();
        worker = std::move(g_worker.thread);
    }
    if (worker.joinable()) worker.join();
}

}  // namespace
