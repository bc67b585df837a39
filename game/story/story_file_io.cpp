#include "game/story/story_file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "engine/core/memory_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/file_system.h"

// While the engine runs, files go through its file system (loose files,
// then data.zip; any case, either separator). Tools and tests that run
// without it read and write host paths directly.

std::optional<std::vector<uint8_t>> read_story_file(const std::string& path) {
    if (g_file_system) return g_file_system->read_whole_file(utf8_to_utf16(path));
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

bool save_story_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    errno = 0;  // a failure that names no reason leaves none from before
    if (g_file_system) {
        if (bytes.size() > size_t(INT32_MAX)) return false;
        return g_file_system->save_file(utf8_to_utf16(path), bytes.data(), int32_t(bytes.size())) == kFileOk;
    }
    return write_file_atomically(path, bytes.data(), bytes.size());
}

std::string save_failure_reason() {
    const int why = errno;
    return why != 0 ? std::strerror(why) : "cannot be written";
}
