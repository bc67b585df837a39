// Feeds arbitrary bytes to the zip reader as an archive file: the end-record
// search, the central directory walk, local headers and inflate all see
// damaged input. Every member is read to its end.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/nimbrel-fuzz-zip-" + std::to_string(getpid()) + ".zip";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ZipArchive* archive = ZipArchive::open(path.c_str());
    if (!archive) return 0;
    static std::vector<uint8_t> buffer(65536);
    for (uint32_t i = 0; i < archive->entry_count(); ++i) {
        archive->go_to_entry(i);
        std::string name = archive->entry_name();
        // Every stored name that is a valid lookup must be found again.
        bool valid_name = name.find('\0') == std::string::npos &&
                          name.size() <= ZipArchive::kMaxNameLength;
        if (valid_name && archive->locate(name.c_str()) != kZipOk) __builtin_trap();
        if (archive->open_entry() != kZipOk) continue;
        while (archive->read_entry(buffer.data(), uint32_t(buffer.size())) > 0) {
        }
        archive->close_entry();
    }
    archive->locate("missing/NAME.txt");
    ZipArchive::close(archive);
    return 0;
}
