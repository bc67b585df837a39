// Feeds arbitrary bytes to the zip reader as an archive file: the end-record
// search, the central directory walk, local headers and inflate all see
// damaged input. Every member is read to its end, then loaded through the
// file system as the game's readers load it and parsed as a key file, so
// empty and one-byte members reach the parser as the game hands them over.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"
#include "engine/files/program_paths.h"
#include "engine/files/zip_archive.h"

namespace {

// The folder the input is written to as its "data.zip", set once as the
// program folder.
const std::string& input_folder() {
    static const std::string folder = [] {
        std::string path = "/tmp/nimbrel-fuzz-zip-" + std::to_string(getpid()) + "/";
        mkdir(path.c_str(), 0700);
        set_program_folder(utf8_to_utf16(path));
        return path;
    }();
    return folder;
}

void load_as_key_file(FileSystem& files, const std::string& name) {
    uint8_t* bytes = nullptr;
    int32_t size = 0;
    if (files.load_file(utf8_to_utf16(name), &bytes, &size) != kFileOk) return;
    IniFile ini;
    ini.parse(std::string_view(reinterpret_cast<const char*>(bytes), size_t(size)));
    mem_free(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = input_folder() + "data.zip";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ZipArchive* archive = ZipArchive::open(path.c_str());
    if (!archive) return 0;
    static std::vector<uint8_t> buffer(65536);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < archive->entry_count(); ++i) {
        archive->go_to_entry(i);
        std::string name = archive->entry_name();
        // Every stored name that is a valid lookup must be found again.
        bool valid_name = name.find('\0') == std::string::npos &&
                          name.size() <= ZipArchive::kMaxNameLength;
        if (valid_name && archive->locate(name.c_str()) != kZipOk) __builtin_trap();
        if (valid_name) names.push_back(name);
        if (archive->open_entry() != kZipOk) continue;
        while (archive->read_entry(buffer.data(), uint32_t(buffer.size())) > 0) {
        }
        archive->close_entry();
    }
    archive->locate("missing/NAME.txt");
    ZipArchive::close(archive);

    FileSystem files;
    for (const std::string& name : names) load_as_key_file(files, name);
    return 0;
}
