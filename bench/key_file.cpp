// Key-file parsing speed beside reading the same bytes, and value lookup in
// a large document.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/files/ini_file.h"

namespace {

// About `bytes` of typical key-file text: sections of repeated records with
// every kind of value.
std::string generated_key_file(size_t bytes) {
    std::string text = "; generated\n";
    for (int section = 0; text.size() < bytes; ++section) {
        text += "[Section" + std::to_string(section) + "]\n";
        for (int record = 0; record < 20; ++record) {
            text += "Name = \"record " + std::to_string(record) + "\", 0x1F, #FF00FF\n";
            text += "Position = " + std::to_string(record * 32) + ", -" + std::to_string(record) + ", _1.25\n";
            text += "Flags = ALPHA_PIXEL | TRANS_COLOR, 'x'\n";
        }
    }
    return text;
}

void BM_ParseKeyFile(benchmark::State& state) {
    std::string text = generated_key_file(size_t(state.range(0)) << 20);
    IniSymbol symbols[] = {{"ALPHA_PIXEL", 2, 0xFFFFFFFF}, {"TRANS_COLOR", 0x10, 0xFFFFFFFF}, {nullptr, 0, 0}};
    for (auto _ : state) {
        IniFile ini;
        ini.set_symbol_table(symbols);
        ini.parse(text);
        benchmark::DoNotOptimize(ini.section_count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseKeyFile)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// The I/O bound: reading the same bytes from a (cached) file.
void BM_ReadKeyFileBytes(benchmark::State& state) {
    std::string text = generated_key_file(size_t(state.range(0)) << 20);
    std::filesystem::path path = std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "bench_key_file.ini";
    std::ofstream(path, std::ios::binary) << text;
    std::string buffer(text.size(), '\0');
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadKeyFileBytes)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_GetIntIn1000SectionsOf50Instances(benchmark::State& state) {
    std::string text;
    for (int section = 0; section < 1000; ++section) {
        text += "[S" + std::to_string(section) + "]\n";
        for (int instance = 0; instance < 50; ++instance)
            text += "Frame = " + std::to_string(instance) + ", 2\nDelay = 100\n";
    }
    IniFile ini;
    ini.parse(text);
    std::string names[1000];
    for (int i = 0; i < 1000; ++i) names[i] = "s" + std::to_string(i);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.get_int(0, "FRAME", names[i % 1000].c_str(), i % 50, 1));
        ++i;
    }
}
BENCHMARK(BM_GetIntIn1000SectionsOf50Instances);

}  // namespace
