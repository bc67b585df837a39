// The zip reader: opening archives of 10 to 50,000 entries, name lookup,
// and member throughput for stored and deflated data beside bare zlib
// inflate on the same bytes and beside `unzip -p` on the same archive.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/files/zip_archive.h"
#include "tools/zippack/zip_writer.h"

namespace {

namespace fs = std::filesystem;

fs::path scratch() {
    static fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("nimbrel-bench-zip-" + std::to_string(getpid()));
        fs::create_directories(d);
        std::atexit([] { fs::remove_all(fs::temp_directory_path() / ("nimbrel-bench-zip-" + std::to_string(getpid()))); });
        return d;
    }();
    return dir;
}

void write_bytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        b = uint8_t(seed);
    }
    return v;
}

// Text-like data: words from a small vocabulary, compressing about 3:1.
std::vector<uint8_t> words(size_t n, uint32_t seed) {
    static const char* vocabulary[] = {"the ", "hero ", "walks ", "to ", "a ", "level ",
                                       "and ", "talks ", "with ", "monster ", "gold ", "\n"};
    std::vector<uint8_t> v;
    auto r = noise(n, seed);
    for (size_t i = 0; v.size() < n; ++i) {
        const char* w = vocabulary[r[i % n] % 12];
        v.insert(v.end(), w, w + std::char_traits<char>::length(w));
        if (r[i % n] & 0x80) v.push_back(uint8_t('0' + r[(i * 7) % n] % 10));
    }
    v.resize(n);
    return v;
}

fs::path archive_with_entries(int count) {
    static std::map<int, fs::path> made;
    auto& path = made[count];
    if (path.empty()) {
        std::vector<ZipMember> members;
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "maps/region%03d/Level%05d.map", i / 100, i);
            members.emplace_back(name, std::vector<uint8_t>(16, uint8_t(i)));
        }
        path = scratch() / ("entries" + std::to_string(count) + ".zip");
        write_bytes(path, zip_write(members).bytes);
    }
    return path;
}

struct BigMembers {
    fs::path path;
    std::vector<uint8_t> deflated;  // the raw deflate stream of "words.txt"
    size_t words_size;
};

const BigMembers& big_members() {
    static BigMembers big = [] {
        BigMembers b;
        auto text = words(8 << 20, 7);
        b.words_size = text.size();
        b.deflated = zip_deflate_raw(text, 6);
        ZipMember stored("noise.bin", noise(8 << 20, 9));
        stored.method = ZipMember::Method::kStored;
        ZipMember deflated("words.txt", text);
        deflated.method = ZipMember::Method::kDeflated;
        b.path = scratch() / "big.zip";
        write_bytes(b.path, zip_write({stored, deflated}).bytes);
        return b;
    }();
    return big;
}

// About 20 MB of mixed members: text, noise (stored), and sparse tables.
const fs::path& mixed_archive(size_t* total) {
    static size_t bytes = 0;
    static fs::path path = [] {
        std::vector<ZipMember> members;
        size_t sizes[] = {4096, 65536, 300000, 1 << 20, 20000};
        for (int i = 0; bytes < (20u << 20); ++i) {
            size_t n = sizes[i % 5];
            std::vector<uint8_t> data;
            if (i % 3 == 0) data = words(n, uint32_t(i + 1));
            else if (i % 3 == 1) data = noise(n, uint32_t(i + 1));
            else {
                data.assign(n, 0);
                for (size_t j = 0; j < n; j += 13) data[j] = uint8_t(j / 13);
            }
            bytes += n;
            members.emplace_back("mixed/member" + std::to_string(i) + ".dat", std::move(data));
        }
        fs::path p = scratch() / "mixed20mb.zip";
        write_bytes(p, zip_write(members).bytes);
        return p;
    }();
    if (total) *total = bytes;
    return path;
}

int read_selected(ZipArchive& archive, std::vector<uint8_t>& buffer) {
    archive.open_entry();
    int total = 0;
    for (int n; (n = archive.read_entry(buffer.data(), uint32_t(buffer.size()))) > 0;) total += n;
    archive.close_entry();
    return total;
}

void BM_Open(benchmark::State& state) {
    fs::path path = archive_with_entries(int(state.range(0)));
    for (auto _ : state) {
        ZipArchive* archive = ZipArchive::open(path.c_str());
        if (!archive) state.SkipWithError("cannot open");
        ZipArchive::close(archive);
    }
}
BENCHMARK(BM_Open)->Arg(10)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);

void BM_Locate(benchmark::State& state) {
    ZipArchive* archive = ZipArchive::open(archive_with_entries(50000).c_str());
    const char* names[] = {"MAPS/region000/level00000.map", "maps\\region499\\level49999.MAP",
                           "maps/region499/missing.map"};
    const char* name = names[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(archive->locate(name));
    ZipArchive::close(archive);
}
BENCHMARK(BM_Locate)->ArgName("first_last_missing")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_LoadMember(benchmark::State& state) {
    const BigMembers& big = big_members();
    ZipArchive* archive = ZipArchive::open(big.path.c_str());
    const char* name = state.range(0) == 0 ? "noise.bin" : "words.txt";
    archive->locate(name);
    std::vector<uint8_t> buffer(archive->entry_info().uncompressed_size);
    int64_t bytes = 0;
    for (auto _ : state) bytes += read_selected(*archive, buffer);
    state.SetBytesProcessed(bytes);
    state.SetLabel(name);
    ZipArchive::close(archive);
}
BENCHMARK(BM_LoadMember)->ArgName("stored_deflated")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// The same deflate stream inflated from memory in one call: the bound.
void BM_BareInflate(benchmark::State& state) {
    const BigMembers& big = big_members();
    std::vector<uint8_t> out(big.words_size);
    for (auto _ : state) {
        z_stream s{};
        inflateInit2(&s, -MAX_WBITS);
        s.next_in = const_cast<Bytef*>(big.deflated.data());
        s.avail_in = uInt(big.deflated.size());
        s.next_out = out.data();
        s.avail_out = uInt(out.size());
        inflate(&s, Z_FINISH);
        inflateEnd(&s);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}
BENCHMARK(BM_BareInflate)->Unit(benchmark::kMillisecond);

void BM_ReadEveryMember20MB(benchmark::State& state) {
    size_t total;
    const fs::path& path = mixed_archive(&total);
    std::vector<uint8_t> buffer(64 * 1024);
    for (auto _ : state) {
        ZipArchive* archive = ZipArchive::open(path.c_str());
        for (uint32_t i = 0; i < archive->entry_count(); ++i) {
            archive->go_to_entry(i);
            read_selected(*archive, buffer);
        }
        ZipArchive::close(archive);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
}
BENCHMARK(BM_ReadEveryMember20MB)->Unit(benchmark::kMillisecond);

// The standard unzip tool extracting the same archive to /dev/null.
void BM_UnzipToolSame20MB(benchmark::State& state) {
    size_t total;
    const fs::path& path = mixed_archive(&total);
    std::string command = "unzip -p '" + path.string() + "' > /dev/null";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("unzip failed");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
}
BENCHMARK(BM_UnzipToolSame20MB)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
