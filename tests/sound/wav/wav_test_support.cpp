#include "wav_test_support.h"

#include <gtest/gtest.h>

#include <memory>

#include "sound/sound_test_support.h"

namespace {

std::unique_ptr<sound_test::NonRealtimeSound> g_library;

// Every test of this program runs with the library started unless it stops it.
struct LibraryEnvironment : ::testing::Environment {
    void SetUp() override { start_sound_library(); }
    void TearDown() override { stop_sound_library(); }
};
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

}  // namespace

void start_sound_library() {
    if (!g_library) g_library = std::make_unique<sound_test::NonRealtimeSound>(22050);
}

void stop_sound_library() { g_library.reset(); }

std::vector<uint8_t> sample_bytes(SoundSample* sample) {
    int frame = ((sample->mode & SAMPLE_16BITS) ? 2 : 1) * ((sample->mode & SAMPLE_STEREO) ? 2 : 1);
    int bytes = sample->length * frame;
    void *first = nullptr, *second = nullptr;
    int first_length = 0, second_length = 0;
    std::vector<uint8_t> out;
    if (!sample_lock(sample, 0, bytes, &first, &first_length, &second, &second_length)) return out;
    out.assign(static_cast<uint8_t*>(first), static_cast<uint8_t*>(first) + first_length);
    if (second) out.insert(out.end(), static_cast<uint8_t*>(second), static_cast<uint8_t*>(second) + second_length);
    sample_unlock(sample, first, second, first_length, second_length);
    return out;
}

std::vector<int16_t> sample_values16(SoundSample* sample) {
    std::vector<uint8_t> bytes = sample_bytes(sample);
    std::vector<int16_t> values(bytes.size() / 2);
    std::memcpy(values.data(), bytes.data(), values.size() * 2);
    return values;
}
