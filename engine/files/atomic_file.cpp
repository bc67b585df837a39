#include "engine/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr std::string_view kTempSuffix = ".tmp-XXXXXX";

// A name that write_file_atomically's temporary file has: a target name,
// then ".tmp-" and the six letters or digits mkstemp chose.
bool is_temp_name(std::string_view name) {
    if (name.size() <= kTempSuffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - kTempSuffix.size());
    if (!tail.starts_with(kTempSuffix.substr(0, 5))) return false;
    for (char c : tail.substr(5))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

AtomicWriteFault g_fault = nullptr;

// An injected failure looks like a failing disk to whoever asks errno why.
bool injected(AtomicWriteStep step) {
    if (!g_fault || !g_fault(step)) return false;
    errno = EIO;
    return true;
}

bool write_all(int fd, const void* bytes, size_t size) {
    const char* p = static_cast<const char*>(bytes);
    while (size > 0) {
        if (injected(AtomicWriteStep::write)) return false;
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;  // the disk took nothing
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable. Best effort: some file systems refuse to
// sync a folder, and the data is already safe in the file.
void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void set_atomic_write_fault(AtomicWriteFault fault) { g_fault = fault; }

bool write_file_atomically(const std::string& path, const void* bytes, size_t size) {
    std::vector<char> temp_name(path.begin(), path.end());
    temp_name.insert(temp_name.end(), kTempSuffix.begin(), kTempSuffix.end());
    temp_name.push_back('\0');
    if (injected(AtomicWriteStep::create)) return false;
    int fd = ::mkstemp(temp_name.data());
    if (fd < 0) return false;
    const char* temp = temp_name.data();

    // Keep the permissions of the file being replaced; new files get 0644.
    struct stat old_info;
    mode_t mode = ::stat(path.c_str(), &old_info) == 0 ? (old_info.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);

    bool ok = write_all(fd, bytes, size);
    ok = ok && !injected(AtomicWriteStep::sync) && ::fsync(fd) == 0;
    int failure = ok ? 0 : errno;
    bool closed = ::close(fd) == 0 && !injected(AtomicWriteStep::close);
    if (ok && !closed) failure = errno;
    ok = ok && closed;
    ok = ok && !injected(AtomicWriteStep::rename) && ::rename(temp, path.c_str()) == 0;
    if (!ok) {
        if (failure == 0) failure = errno;
        ::unlink(temp);
        errno = failure;  // why the write failed, not what the clean-up met
        return false;
    }
    sync_folder(folder_of(path));
    return true;
}

int remove_stale_temp_files(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || !is_temp_name(it->path().filename().string())) continue;
        removed += fs::remove(it->path(), ec) ? 1 : 0;
    }
    return removed;
}
