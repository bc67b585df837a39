#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "sound/samples/sample_load.h"
#include "sound/system/sound_error.h"
#include "tests/sound/wav_test_support.h"
#include "tools/wav_tools/ima_encoder.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

class SampleLoad : public WavTest {
protected:
    static LoadedSample from_memory(const std::vector<uint8_t>& bytes, uint32_t mode) {
        return LoadedSample(
            sample_load(kSampleUnmanaged, bytes.data(), mode | SAMPLE_FROM_MEMORY, 0, int(bytes.size())));
    }
};

std::vector<int16_t> stereo_values(int frames) {
    std::vector<int16_t> values;
    for (int i = 0; i < frames; ++i) {
        values.push_back(int16_t(i * 100 - 30000));
        values.push_back(int16_t(20000 - i * 50));
    }
    return values;
}

TEST_F(SampleLoad, TheGamesModeGivesASixteenBitSignedMonoSample) {
    std::vector<int16_t> values = {1, -2, 300, -32768, 32767};
    LoadedSample sample = from_memory(wav_writer::pcm16(values, 1, 22050), 0x8130);
    ASSERT_TRUE(sample) << sound_get_error();
    EXPECT_EQ(sample->mode & (SAMPLE_16BITS | SAMPLE_SIGNED | SAMPLE_MONO),
              uint32_t(SAMPLE_16BITS | SAMPLE_SIGNED | SAMPLE_MONO));
    EXPECT_EQ(sample_values16(sample.sample), values);
    EXPECT_EQ(sound_get_error(), SOUND_OK);
}

TEST_F(SampleLoad, EightBitCallerModeConvertsSixteenBitDataToHighBytes) {
    std::vector<int16_t> values = {0x1234, -0x1234, 0x7FFF, -0x8000, 0x00FF};
    LoadedSample sample = from_memory(wav_writer::pcm16(values, 1, 11025), SAMPLE_8BITS);
    ASSERT_TRUE(sample);
    EXPECT_TRUE(sample->mode & SAMPLE_8BITS);
    EXPECT_FALSE(sample->mode & SAMPLE_16BITS);
    EXPECT_EQ(sample->default_frequency, 11025);
    std::vector<uint8_t> bytes = sample_bytes(sample.sample);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x12, 0xED, 0x7F, 0x80, 0x00}));
}

TEST_F(SampleLoad, StereoToMonoKeepsLengthAndRate) {
    std::vector<int16_t> values = stereo_values(50);
    LoadedSample sample = from_memory(wav_writer::pcm16(values, 2, 44100), SAMPLE_16BITS | SAMPLE_FORCE_MONO);
    ASSERT_TRUE(sample);
    EXPECT_TRUE(sample->mode & SAMPLE_MONO);
    EXPECT_FALSE(sample->mode & SAMPLE_STEREO);
    EXPECT_EQ(sample->length, 50);
    EXPECT_EQ(sample->default_frequency, 44100);
    std::vector<int16_t> mono = sample_values16(sample.sample);
    ASSERT_EQ(mono.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_NEAR(mono[size_t(i)], (values[size_t(2 * i)] + values[size_t(2 * i + 1)]) / 2, 1);
}

TEST_F(SampleLoad, RawDataTakesTheCallersFormat) {
    std::vector<uint8_t> raw = {0, 1, 2, 3, 4, 5, 6, 7};
    LoadedSample sample = from_memory(raw, SAMPLE_RAW | SAMPLE_16BITS | SAMPLE_SIGNED | SAMPLE_STEREO);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 2);
    EXPECT_EQ(sample->default_frequency, 44100);
    EXPECT_EQ(sample->default_pan, -1);
    EXPECT_STREQ(sample->name, "Memory file");
    EXPECT_EQ(sample->c2_rate, 8363);
    EXPECT_EQ(sample_bytes(sample.sample), raw);
}

TEST_F(SampleLoad, MissingAndEmptySourcesFailWithTheirCodes) {
    EXPECT_FALSE(LoadedSample(sample_load(kSampleUnmanaged, "/nonexistent/none.wav", 0, 0, 0)));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NO_FILE);
    char pattern[] = "/tmp/sample_load_XXXXXX";
    std::filesystem::path dir = mkdtemp(pattern);
    std::string empty = (dir / "empty.raw").string();
    wav_writer::save(empty, {});
    EXPECT_FALSE(LoadedSample(sample_load(kSampleUnmanaged, empty.c_str(), SAMPLE_RAW, 0, 0)));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_CORRUPT);
    std::string wav = (dir / "Tone.WAV").string();
    wav_writer::save(wav, wav_writer::pcm16({5, 6, 7}, 1, 8000));
    LoadedSample by_name(sample_load(kSampleUnmanaged, (dir / "tone.wav").c_str(), 0x130, 0, 0));
    ASSERT_TRUE(by_name);
    EXPECT_EQ(by_name->length, 3);
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(LoadedSample(sample_load(kSampleUnmanaged, nullptr, 0, 0, 0)));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
}

TEST_F(SampleLoad, OffsetAndLengthPickAWavOutOfALargerBlock) {
    std::vector<uint8_t> wav = wav_writer::pcm16({9, 8, 7, 6}, 1, 8000);
    std::vector<uint8_t> block(100 + wav.size() + 50, 0xDD);
    std::copy(wav.begin(), wav.end(), block.begin() + 100);
    SoundFile* file = sound_file_open(block.data(), SOUND_FILE_MEMORY, int(block.size()));
    LoadedSample sample(sample_load_ex(kSampleUnmanaged, file, 0x130, 100, int(wav.size()), true));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample_values16(sample.sample), (std::vector<int16_t>{9, 8, 7, 6}));
    // The open file stays the caller's: it is not closed by the load.
    EXPECT_EQ(sound_file_seek(file, 0, 0), 100);
    sound_file_close(file);
}

TEST_F(SampleLoad, NotStartedLibraryRefusesLoads) {
    stop_sound_library();
    std::vector<uint8_t> wav = wav_writer::pcm16({1}, 1, 8000);
    EXPECT_FALSE(from_memory(wav, 0x130));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_NOT_READY);
}

using SampleConvertRegion = WavTest;

TEST_F(SampleConvertRegion, WidthSignednessAndDelta) {
    const uint8_t eight[] = {0x00, 0x80, 0xFF, 0x10};
    int16_t sixteen[4];
    ASSERT_EQ(sample_convert_region(sixteen, 8, SAMPLE_16BITS | SAMPLE_SIGNED, eight, 4, SAMPLE_8BITS | SAMPLE_UNSIGNED, 1), 8);
    EXPECT_EQ(std::vector<int16_t>(sixteen, sixteen + 4), (std::vector<int16_t>{-0x8000, 0, 0x7F00, -0x7000}));

    const int16_t words[] = {0x1234, -2, 0x7FFF};
    uint8_t bytes[3];
    ASSERT_EQ(sample_convert_region(bytes, 3, SAMPLE_8BITS | SAMPLE_SIGNED, words, 6, SAMPLE_16BITS | SAMPLE_SIGNED, 1), 3);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 3), (std::vector<uint8_t>{0x12, 0xFF, 0x7F}));

    const uint8_t deltas[] = {10, 5, 0xFF, 0xFE};  // +10, +5, -1, -2
    uint8_t summed[4];
    sample_convert_region(summed, 4, SAMPLE_8BITS | SAMPLE_SIGNED, deltas, 4, SAMPLE_8BITS | SAMPLE_SIGNED | SAMPLE_DELTA, 1);
    EXPECT_EQ(std::vector<uint8_t>(summed, summed + 4), (std::vector<uint8_t>{10, 15, 14, 12}));

    const int16_t word_deltas[] = {1000, -300, 5};
    int16_t word_sums[3];
    sample_convert_region(word_sums, 6, SAMPLE_16BITS | SAMPLE_UNSIGNED, word_deltas, 6, SAMPLE_16BITS | SAMPLE_SIGNED | SAMPLE_DELTA, 1);
    EXPECT_EQ(std::vector<int16_t>(word_sums, word_sums + 3),
              (std::vector<int16_t>{int16_t(1000 - 0x8000), int16_t(700 - 0x8000), int16_t(705 - 0x8000)}));

    uint8_t small[2];
    EXPECT_EQ(sample_convert_region(small, 2, SAMPLE_8BITS, eight, 4, SAMPLE_8BITS, 1), 2);  // never past the end
}

std::vector<int16_t> region_signal(int frames, int channels) {
    std::vector<int16_t> values;
    for (int i = 0; i < frames * channels; ++i) values.push_back(int16_t((i * 7919) % 50000 - 25000));
    return values;
}

TEST_F(SampleConvertRegion, AdpcmBlocksOfSixtyFourDecodeForOneTwoAndMoreChannels) {
    for (int channels : {1, 2, 3}) {
        const int blocks = 130;  // more than one scratch load for three channels
        std::vector<int16_t> pcm = region_signal(blocks * 64, 1);
        std::vector<uint8_t> mono = ima_encoder::encode(pcm, 1, 36, 64);
        std::vector<int16_t> one = reference_ima::decode(mono.data(), mono.size(), 1, 36, 64);
        std::vector<uint8_t> source;
        std::vector<int16_t> want;
        if (channels == 2) {
            std::vector<int16_t> stereo_pcm;
            for (int16_t v : pcm) {
                stereo_pcm.push_back(v);
                stereo_pcm.push_back(int16_t(-v / 2));
            }
            source = ima_encoder::encode(stereo_pcm, 2, 72, 64);
            want = reference_ima::decode(source.data(), source.size(), 2, 72, 64);
        } else {
            // Every channel carries the same blocks, interleaved in 2-byte words.
            for (size_t w = 0; w < mono.size() / 2; ++w)
                for (int c = 0; c < channels; ++c) source.insert(source.end(), &mono[2 * w], &mono[2 * w] + 2);
            for (int16_t v : one)
                for (int c = 0; c < channels; ++c) want.push_back(v);
        }
        std::vector<int16_t> out(want.size() + 8, 0x5555);
        int written = sample_convert_region(out.data(), int(want.size() * 2), SAMPLE_16BITS | SAMPLE_SIGNED,
                                            source.data(), int(source.size()), SAMPLE_ADPCM, channels);
        ASSERT_EQ(written, int(want.size() * 2)) << channels;
        EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + long(want.size())), want) << channels;
        EXPECT_EQ(out[want.size()], 0x5555);
    }
}

}  // namespace

namespace {

using DemoSounds = WavTest;

TEST_F(DemoSounds, EveryGeneratedSoundLoadsAsAOneShot) {
    const char* names[] = {"switchon", "coins", "getitem", "giveitem", "book", "death", "winbattle", "levelup",
                           "magic/drink", "magic/dispel", "tkvoices/tkdies3", "tkvoices/tkdies4"};
    for (const char* name : names) {
        std::string path = std::string(NIMBREL_DEMO_DATA_DIR) + "/sfx/" + name + ".wav";
        std::vector<uint8_t> bytes = wav_writer::load(path);
        ASSERT_FALSE(bytes.empty()) << path;
        LoadedSample sample = load_wav(bytes, 0x8130);
        ASSERT_TRUE(sample) << path << ": error " << sound_get_error();
        EXPECT_GT(sample->length, 500) << path;
        EXPECT_EQ(sample->mode & kSampleLoopBits, uint32_t(SAMPLE_LOOP_OFF)) << path;
        int rate = sample->default_frequency;
        EXPECT_TRUE(rate == 11025 || rate == 22050) << path;
    }
}

}  // namespace
