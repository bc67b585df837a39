// Sample members the demo archive carries so that both ways of reading a
// member are exercised by the game's own data: an incompressible member that
// stays stored and spans two read blocks, and a large member that deflates
// to more than three read blocks. Their content is made, not kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveSample {
    std::string name;
    std::vector<uint8_t> data;
};

inline std::vector<ArchiveSample> archive_samples() {
    uint32_t state = 0x2545F491;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    ArchiveSample noise{"Archive/Stored10000.bin", std::vector<uint8_t>(10000)};
    for (uint8_t& b : noise.data) b = uint8_t(next());
    // Four letters at random compress to about a quarter: ~40 KB deflated.
    ArchiveSample letters{"Archive/Deflated/Letters160K.txt", std::vector<uint8_t>(160000)};
    for (size_t i = 0; i < letters.data.size(); ++i) {
        letters.data[i] = (i % 80 == 79) ? '\n' : uint8_t("acgt"[next() & 3]);
    }
    return {noise, letters};
}
