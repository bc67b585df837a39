// Fixed-point sine, square root and distance against the libm doubles they
// stand in for: calls per second, and (as counters) the largest error of
// each routine over its whole useful input range.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/core/fixed_math.h"

namespace {

constexpr int kInputs = 4096;

std::vector<int32_t> spread(int64_t low, int64_t high) {
    std::vector<int32_t> values(kInputs);
    uint32_t state = 12345;
    for (auto& v : values) {
        state = state * 1664525u + 1013904223u;
        v = int32_t(low + int64_t(state % uint64_t(high - low)));
    }
    return values;
}

double to_double(int32_t v) { return v / 65536.0; }
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

void BM_FixSin(benchmark::State& state) {
    auto angles = spread(0, 360LL * 65536);
    for (auto _ : state) {
        for (int32_t a : angles) benchmark::DoNotOptimize(fix_sin(a));
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
    double worst = 0;
    for (int32_t a = 0; a < 360 * 65536; a += 97) {
        worst = std::max(worst, std::abs(to_double(fix_sin(a)) -
                                         std::sin(to_double(a) * kRadiansPerDegree)));
    }
    state.counters["max_error"] = worst;
}
BENCHMARK(BM_FixSin);

void BM_LibmSin(benchmark::State& state) {
    auto angles = spread(0, 360LL * 65536);
    std::vector<double> in(angles.begin(), angles.end());
    for (double& v : in) v = v / 65536.0 * kRadiansPerDegree;
    for (auto _ : state) {
        for (double a : in) benchmark::DoNotOptimize(std::sin(a));
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
}
BENCHMARK(BM_LibmSin);

void BM_FixSqrt(benchmark::State& state) {
    auto values = spread(0, INT32_MAX);
    for (auto _ : state) {
        for (int32_t v : values) benchmark::DoNotOptimize(fix_sqrt(v));
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
    double worst = 0;  // relative, above the small-value range
    for (int64_t v = 256; v <= INT32_MAX; v += 9973) {
        double exact = 256.0 * std::sqrt(double(v));
        worst = std::max(worst, std::abs(fix_sqrt(int32_t(v)) - exact) / exact);
    }
    state.counters["max_rel_error"] = worst;
}
BENCHMARK(BM_FixSqrt);

void BM_LibmSqrt(benchmark::State& state) {
    auto values = spread(0, INT32_MAX);
    std::vector<double> in(values.begin(), values.end());
    for (auto _ : state) {
        for (double v : in) benchmark::DoNotOptimize(std::sqrt(v));
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
}
BENCHMARK(BM_LibmSqrt);

void BM_FixDistance(benchmark::State& state) {
    auto coords = spread(-1000LL * 65536, 1000LL * 65536);
    for (auto _ : state) {
        for (int i = 0; i + 3 < kInputs; i += 4) {
            benchmark::DoNotOptimize(
                fix_distance(coords[i], coords[i + 1], coords[i + 2], coords[i + 3]));
        }
    }
    state.SetItemsProcessed(state.iterations() * (kInputs / 4));
    double worst = 0;  // relative, for distances of at least one unit
    for (int i = 0; i + 3 < kInputs; i += 4) {
        double exact = std::hypot(to_double(coords[i]) - to_double(coords[i + 2]),
                                  to_double(coords[i + 1]) - to_double(coords[i + 3]));
        if (exact < 1.0) continue;
        double got = to_double(fix_distance(coords[i], coords[i + 1], coords[i + 2], coords[i + 3]));
        worst = std::max(worst, std::abs(got - exact) / exact);
    }
    state.counters["max_rel_error"] = worst;
}
BENCHMARK(BM_FixDistance);

void BM_LibmHypot(benchmark::State& state) {
    auto coords = spread(-1000LL * 65536, 1000LL * 65536);
    std::vector<double> in(coords.begin(), coords.end());
    for (auto _ : state) {
        for (int i = 0; i + 3 < kInputs; i += 4) {
            benchmark::DoNotOptimize(std::hypot(in[i] - in[i + 2], in[i + 1] - in[i + 3]));
        }
    }
    state.SetItemsProcessed(state.iterations() * (kInputs / 4));
}
BENCHMARK(BM_LibmHypot);

void BM_FixAcosError(benchmark::State& state) {
    auto values = spread(-65536, 65537);
    for (auto _ : state) {
        for (int32_t v : values) benchmark::DoNotOptimize(fix_acos(v));
    }
    state.SetItemsProcessed(state.iterations() * kInputs);
    double worst = 0;  // degrees
    for (int32_t x = -65536; x <= 65536; x += 7) {
        double exact = std::acos(to_double(x)) / kRadiansPerDegree;
        worst = std::max(worst, std::abs(to_double(fix_acos(x)) - exact));
    }
    state.counters["max_error_deg"] = worst;
}
BENCHMARK(BM_FixAcosError);

}  // namespace
