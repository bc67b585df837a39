#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "sound/formats/adpcm.h"
#include "sound/system/sound_error.h"
#include "tests/sound/wav_test_support.h"
#include "tools/wav_tools/ima_encoder.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

// A signal that sweeps the step index through its range: a quiet sine,
// loud bursts and sudden jumps.
std::vector<int16_t> test_signal(int frames, int channels) {
    std::vector<int16_t> pcm;
    uint32_t noise = 12345;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            double amplitude = (i / 700) % 3 == 0 ? 300.0 : 30000.0;
            double value = amplitude * std::sin(i * (0.01 + 0.03 * c));
            noise = noise * 1103515245u + 12345u;
            if ((i / 1500) % 2) value += int((noise >> 16) % 20000) - 10000;
            pcm.push_back(int16_t(std::clamp(value, -32768.0, 32767.0)));
        }
    }
    return pcm;
}

struct Geometry {
    int channels;
    int block_align;
    int samples_per_block;
};

class ImaBlockLayouts : public WavTestWithParam<Geometry> {};
using ImaRefusals = WavTest;
using ImaStep = WavTest;

TEST_P(ImaBlockLayouts, LoadEqualsTheReferenceDecoderBitForBit) {
    Geometry g = GetParam();
    std::vector<int16_t> pcm = test_signal(5000, g.channels);
    std::vector<uint8_t> data = ima_encoder::encode(pcm, g.channels, g.block_align, g.samples_per_block);
    std::vector<uint8_t> file = wav_writer::riff(
        {wav_writer::adpcm_format(g.channels, 22050, g.block_align, g.samples_per_block), wav_writer::data(data)});
    LoadedSample sample = load_wav(file);
    ASSERT_TRUE(sample) << "error " << sound_get_error();
    int blocks = int(data.size()) / g.block_align;
    EXPECT_EQ(sample->length, blocks * g.samples_per_block);
    EXPECT_EQ(sample->mode & (SAMPLE_16BITS | SAMPLE_STEREO | SAMPLE_MONO),
              uint32_t(SAMPLE_16BITS | (g.channels == 2 ? SAMPLE_STEREO : SAMPLE_MONO)));
    EXPECT_EQ(sample->default_frequency, 22050);
    std::vector<int16_t> want =
        reference_ima::decode(data.data(), data.size(), g.channels, g.block_align, g.samples_per_block);
    EXPECT_EQ(sample_values16(sample.sample), want);
    // The encoder tracks the signal closely: the decode is near the input.
    double error = 0;
    for (size_t i = 0; i < pcm.size(); ++i) error += std::abs(double(want[i]) - pcm[i]);
    EXPECT_LT(error / double(pcm.size()), 2500.0);
}

INSTANTIATE_TEST_SUITE_P(WavLayouts, ImaBlockLayouts,
                         ::testing::Values(Geometry{1, 256, 505}, Geometry{2, 512, 505}, Geometry{1, 1024, 2041},
                                           Geometry{2, 1024, 1017}, Geometry{1, 100, 150}, Geometry{1, 37, 67},
                                           Geometry{2, 200, 100}, Geometry{1, 36, 64}, Geometry{2, 72, 64}));

std::vector<uint8_t> mono_adpcm_file(int block_align, int samples_per_block, int channels = 1) {
    std::vector<int16_t> pcm = test_signal(1200, 1);
    std::vector<uint8_t> data = ima_encoder::encode(pcm, 1, 256, 505);
    return wav_writer::riff(
        {wav_writer::adpcm_format(channels, 11025, block_align, samples_per_block), wav_writer::data(data)});
}

TEST_F(ImaRefusals, StepIndexAbove88FailsTheLoadWithCorrupt) {
    std::vector<uint8_t> file = mono_adpcm_file(256, 505);
    size_t data_at = file.size() - 3 * 256;
    file[data_at + 256 + 2] = 89;  // the second block's header index
    EXPECT_FALSE(load_wav(file));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_CORRUPT);
    file[data_at + 256 + 2] = 88;
    EXPECT_TRUE(load_wav(file));
}

TEST_F(ImaRefusals, BlockGeometriesThatDoNotFitAreCorrupt) {
    const Geometry bad[] = {
        {1, 0, 505},      // block align 0
        {1, 256, 0},      // no samples per block
        {1, 256, 65535},  // more samples than the block holds
        {1, 256, 506},    // one too many for a mono block
        {2, 512, 506},    // one group too many for a stereo block
        {1, 40, 64},      // the 64-sample layout needs 36 bytes a channel
        {2, 36, 64},
    };
    for (const Geometry& g : bad) {
        EXPECT_FALSE(load_wav(mono_adpcm_file(g.block_align, g.samples_per_block, g.channels)))
            << g.channels << "/" << g.block_align << "/" << g.samples_per_block;
        EXPECT_EQ(sound_get_error(), SOUND_ERR_CORRUPT);
    }
    EXPECT_TRUE(load_wav(mono_adpcm_file(256, 505, 1)));
}

TEST_F(ImaRefusals, ChannelCountsOtherThanOneAndTwoAreRefused) {
    for (int channels : {0, 3, 6}) {
        EXPECT_FALSE(load_wav(mono_adpcm_file(256, 505, channels))) << channels;
        EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT);
    }
}

TEST_F(ImaStep, FollowsThePublishedQuantisation) {
    EXPECT_EQ(adpcm_step(0, 0, 7), 0);     // step / 8 = 0
    EXPECT_EQ(adpcm_step(7, 100, 16), 130);  // 2 + 16 + 8 + 4
    EXPECT_EQ(adpcm_step(15, 100, 16), 70);
    EXPECT_EQ(adpcm_step(7, 32767, 32767), 32767);
    EXPECT_EQ(adpcm_step(15, -32768, 32767), -32768);
    AdpcmChannel channel;
    channel.index = 88;
    adpcm_decode_nibble(channel, 7);
    EXPECT_EQ(channel.index, 88);
    channel.index = 0;
    adpcm_decode_nibble(channel, 3);
    EXPECT_EQ(channel.index, 0);
}

// Files encoded by sox and ffmpeg, decoded by sox: the load must give the
// same samples. The tools come from the test dependencies; a missing tool
// fails the test.
class ExternalEncoders : public WavTest {
protected:
    std::filesystem::path dir;
    void SetUp() override {
        char pattern[] = "/tmp/ima_external_XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    static bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

    void expect_equal_to_sox_decode(const std::string& encoded) {
        std::string raw = (dir / "decoded.raw").string();
        ASSERT_TRUE(run("sox -D " + encoded + " -t raw -e signed -b 16 -L " + raw)) << "sox could not decode " << encoded;
        std::vector<uint8_t> reference_bytes = wav_writer::load(raw);
        std::vector<uint8_t> file = wav_writer::load(encoded);
        LoadedSample sample = load_wav(file);
        ASSERT_TRUE(sample) << encoded << ": error " << sound_get_error();
        std::vector<int16_t> ours = sample_values16(sample.sample);
        ASSERT_GT(reference_bytes.size(), 1000u);
        size_t count = reference_bytes.size() / 2;
        ASSERT_GE(ours.size(), count) << encoded;
        for (size_t i = 0; i < count; ++i)
            ASSERT_EQ(ours[i], int16_t(read_u16le(&reference_bytes[2 * i]))) << encoded << " sample " << i;
    }

    std::string source_wav(int channels, int rate) {
        std::string path = (dir / ("source_" + std::to_string(channels) + "_" + std::to_string(rate) + ".wav")).string();
        wav_writer::save(path, wav_writer::pcm16(test_signal(rate, channels), channels, rate));
        return path;
    }
};

TEST_F(ExternalEncoders, SoxEncodedFilesDecodeAsSoxDecodesThem) {
    ASSERT_TRUE(run("command -v sox")) << "sox is not installed (tools/install-deps test)";
    for (int channels : {1, 2}) {
        for (int rate : {8000, 22050, 44100}) {  // block sizes 256, 512 and 1024 per channel
            std::string encoded = (dir / "sox.wav").string();
            ASSERT_TRUE(run("sox " + source_wav(channels, rate) + " -e ima-adpcm " + encoded));
            expect_equal_to_sox_decode(encoded);
        }
    }
}

TEST_F(ExternalEncoders, FfmpegEncodedFilesDecodeAsSoxDecodesThem) {
    ASSERT_TRUE(run("command -v ffmpeg")) << "ffmpeg is not installed (tools/install-deps test)";
    for (int channels : {1, 2}) {
        for (int block : {256, 1024, 2048}) {
            std::string encoded = (dir / "ffmpeg.wav").string();
            ASSERT_TRUE(run("ffmpeg -nostdin -y -i " + source_wav(channels, 22050) + " -c:a adpcm_ima_wav -block_size " +
                            std::to_string(block) + " " + encoded));
            expect_equal_to_sox_decode(encoded);
        }
    }
}

}  // namespace
