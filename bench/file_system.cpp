// Whole-file loads with case-insensitive names, lookups in a folder tree,
// and the atomic save beside a plain in-place write.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/case_insensitive_paths.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"

namespace {

namespace fs = std::filesystem;

// 10,000 small files in 100 folders of a tree, made once.
struct Tree {
    fs::path root = fs::path(NIMBREL_TEST_DATA_DIR) / "bench_tree";
    std::vector<std::string> exact;  // relative names as on disk
    std::vector<std::string> upper;  // the same names in upper case

    Tree() {
        fs::remove_all(root);
        for (int folder = 0; folder < 100; ++folder) {
            std::string dir = "Region" + std::to_string(folder) + "/maps";
            fs::create_directories(root / dir);
            for (int file = 0; file < 100; ++file) {
                std::string name = dir + "/Level" + std::to_string(file) + ".dat";
                std::ofstream(root / name) << "level data";
                exact.push_back(name);
                upper.push_back(fold_case(name));
                for (char& c : upper.back()) c = ascii_upper(c);
            }
        }
        // Folder times can be coarse: let them settle so listings are trusted.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
};

Tree& tree() {
    static Tree instance;
    return instance;
}

void BM_CaseInsensitiveLookupOf10000Names(benchmark::State& state) {
    Tree& t = tree();
    CaseInsensitivePaths paths;
    std::string base = t.root.string() + "/";
    for (const std::string& name : t.upper) paths.find(base + name);  // first lookups list the folders
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(paths.find(base + t.upper[i]));
        i = (i + 1) % t.upper.size();
    }
}
BENCHMARK(BM_CaseInsensitiveLookupOf10000Names);

void BM_LoadFile(benchmark::State& state) {
    Tree& t = tree();
    set_program_folder(t.root.u16string());
    auto files = std::make_unique<FileSystem>();
    bool upper = state.range(0) == 1, missing = state.range(0) == 2, uncached = state.range(1) == 1;
    size_t i = 0;
    for (auto _ : state) {
        if (uncached) {
            state.PauseTiming();
            files = std::make_unique<FileSystem>();  // no cached listings
            state.ResumeTiming();
        }
        std::string name = missing ? t.upper[i] + ".missing" : upper ? t.upper[i] : t.exact[i];
        uint8_t* bytes = nullptr;
        int32_t size = 0;
        if (files->load_file(utf8_to_utf16(name), &bytes, &size) == 0) mem_free(bytes);
        i = (i + 1) % t.exact.size();
    }
}
// {0 exact, 1 other case, 2 missing} x {cached listings, uncached}
BENCHMARK(BM_LoadFile)->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({1, 1});

void BM_PlainFopen(benchmark::State& state) {
    Tree& t = tree();
    size_t i = 0;
    char buffer[64];
    for (auto _ : state) {
        FILE* file = std::fopen((t.root / t.exact[i]).c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(buffer, 1, sizeof buffer, file));
        std::fclose(file);
        i = (i + 1) % t.exact.size();
    }
}
BENCHMARK(BM_PlainFopen);

void BM_SaveAtomically4KB(benchmark::State& state) {
    std::string path = (fs::path(NIMBREL_TEST_DATA_DIR) / "bench_save.dat").string();
    std::vector<uint8_t> save(4096, 0x5A);
    for (auto _ : state) benchmark::DoNotOptimize(write_file_atomically(path, save.data(), save.size()));
    fs::remove(path);
}
BENCHMARK(BM_SaveAtomically4KB)->Unit(benchmark::kMicrosecond);

void BM_SaveInPlace4KB(benchmark::State& state) {
    std::string path = (fs::path(NIMBREL_TEST_DATA_DIR) / "bench_save.dat").string();
    std::vector<uint8_t> save(4096, 0x5A);
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(save.data(), 1, save.size(), file));
        std::fclose(file);
    }
    fs::remove(path);
}
BENCHMARK(BM_SaveInPlace4KB)->Unit(benchmark::kMicrosecond);

}  // namespace
