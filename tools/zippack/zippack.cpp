// Packs the demo data folder into "data.zip", makes the demo data's
// archive samples, and writes the zip fixtures of the tests.
//
//   zippack pack OUT.zip DIR [ONLY_IN_ARCHIVE_DIR]
//                                every file below DIR (except OUT and hidden
//                                files), sorted; files below the optional
//                                second folder are added, or replace the
//                                loose file of the same name
//   zippack samples DIR          the sample members the archive must carry
//   zippack fixtures DIR         test archives and the fuzz seed corpus
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/zippack/archive_samples.h"
#include "tools/zippack/zip_writer.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Writes only when the content changed, so an unchanged archive keeps its
// time stamp.
bool write_if_changed(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    if (fs::exists(path, ec) && read_file(path) == bytes) return true;
    fs::create_directories(path.parent_path(), ec);
    fs::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) return false;
    }
    fs::rename(temporary, path, ec);
    return !ec;
}

// Regular, non-hidden files below `folder`, relative to it and sorted.
std::vector<fs::path> list_files(const fs::path& folder, const fs::path& skip) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        // Hidden files (such as a folder's .gitkeep) are not data.
        if (it->path().filename().string().starts_with(".")) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && !fs::equivalent(it->path(), skip, ec)) {
            files.push_back(fs::relative(it->path(), folder));
        }
    }
    if (ec) throw std::runtime_error("cannot list " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    return files;
}

int pack(const fs::path& archive, const fs::path& folder, const fs::path& archive_only) {
    // Member name -> the file it is made from; archive-only files win.
    std::map<std::string, fs::path> sources;
    for (const fs::path& file : list_files(folder, archive)) {
        sources[file.generic_string()] = folder / file;
    }
    if (!archive_only.empty()) {
        for (const fs::path& file : list_files(archive_only, archive)) {
            sources[file.generic_string()] = archive_only / file;
        }
    }
    std::vector<ZipMember> members;
    for (const auto& [name, path] : sources) {
        ZipMember m(name, read_file(path));
        m.level = 9;
        members.push_back(std::move(m));
    }
    if (!write_if_changed(archive, zip_write(members).bytes)) {
        std::cerr << "zippack: cannot write " << archive << "\n";
        return 1;
    }
    return 0;
}

int samples(const fs::path& folder) {
    for (const ArchiveSample& sample : archive_samples()) {
        if (!write_if_changed(folder / sample.name, sample.data)) {
            std::cerr << "zippack: cannot write " << folder / sample.name << "\n";
            return 1;
        }
    }
    return 0;
}

// A few well-formed archives of our own: the fuzzer's seeds.
int fixtures(const fs::path& folder) {
    std::vector<ZipMember> mixed;
    for (const ArchiveSample& sample : archive_samples()) {
        mixed.push_back(ZipMember{sample.name, sample.data});
    }
    mixed.push_back(ZipMember{"text/Hello.TXT", {'h', 'e', 'l', 'l', 'o', '\n'}});
    ZipMember with_extras{"extra/local.bin", std::vector<uint8_t>(300, 7)};
    with_extras.method = ZipMember::Method::kDeflated;
    with_extras.local_extra = {0x55, 0x54, 5, 0, 1, 1, 2, 3, 4};
    with_extras.central_extra = {0x55, 0x54, 1, 0, 1};

    std::vector<ZipMember> small = {ZipMember{"a.txt", {'a'}}, with_extras};
    // Key files cut to nothing and to one byte, stored and deflated.
    std::vector<ZipMember> short_key_files = {ZipMember{"Story/tileparams.ini", {}},
                                              ZipMember{"combat/monsters/combatspr.ini", {'['}}};
    ZipMember deflated_empty{"gfx.ini", {}};
    deflated_empty.method = ZipMember::Method::kDeflated;
    short_key_files.push_back(deflated_empty);
    const fs::path corpus = folder / "corpus" / "zip_archive";
    bool ok = write_if_changed(folder / "zip" / "samples.zip", zip_write(mixed).bytes) &&
              write_if_changed(corpus / "small.zip", zip_write(small).bytes) &&
              write_if_changed(corpus / "commented.zip",
                               zip_write(small, "comment PK\x05\x06 inside").bytes) &&
              write_if_changed(corpus / "prefixed.zip", zip_write(small, {}, {'M', 'Z', 0, 0}).bytes) &&
              write_if_changed(corpus / "empty.zip", zip_write({}).bytes) &&
              write_if_changed(corpus / "short_key_files.zip", zip_write(short_key_files).bytes);
    if (!ok) std::cerr << "zippack: cannot write the fixtures in " << folder << "\n";
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if ((args.size() == 3 || args.size() == 4) && args[0] == "pack") {
            return pack(args[1], args[2], args.size() == 4 ? args[3] : std::string());
        }
        if (args.size() == 2 && args[0] == "samples") return samples(args[1]);
        if (args.size() == 2 && args[0] == "fixtures") return fixtures(args[1]);
    } catch (const std::exception& e) {
        std::cerr << "zippack: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: zippack pack OUT.zip DIR [ONLY_IN_ARCHIVE_DIR] | samples DIR | fixtures DIR\n";
    return 2;
}
