// The sound_render tool as a user runs it: a separate process on files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

const std::string kTool = std::string(NIMBREL_BINARY_DIR) + "/tools/sound_render/sound_render";

class SoundRenderTool : public ::testing::Test {
protected:
    std::filesystem::path dir;
    void SetUp() override {
        char pattern[] = "/tmp/sound_render_XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    static int run(const std::string& arguments) {
        int status = std::system((kTool + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

struct Wav {
    int channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> values;
};

// Reads the 16-bit PCM files the tool writes (fmt then data, as it makes them).
Wav read_wav16(const std::string& file) {
    std::vector<uint8_t> bytes = wav_writer::load(file);
    Wav wav;
    if (bytes.size() < 44) return wav;
    wav.channels = read_u16le(&bytes[22]);
    wav.rate = int(read_u32le(&bytes[24]));
    wav.bits = read_u16le(&bytes[34]);
    uint32_t size = read_u32le(&bytes[40]);
    for (size_t i = 44; i + 1 < bytes.size() && i < 44 + size; i += 2) wav.values.push_back(int16_t(read_u16le(&bytes[i])));
    return wav;
}

TEST_F(SoundRenderTool, PlaysAMonoSoundOnceAtCentrePan) {
    std::vector<int16_t> input;
    for (int i = 0; i < 8000; ++i) input.push_back(int16_t(15000 * std::sin(i * 0.05) * (1.0 - i / 8000.0)));
    wav_writer::save(path("in.wav"), wav_writer::pcm16(input, 1, 44100));
    ASSERT_EQ(run(path("in.wav") + " " + path("out.wav")), 0);
    Wav out = read_wav16(path("out.wav"));
    ASSERT_EQ(out.channels, 2);
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.bits, 16);
    ASSERT_GE(out.values.size() / 2, input.size());
    double cross = 0, in_energy = 0, out_energy = 0;
    for (size_t i = 0; i < input.size(); ++i) {
        int16_t left = out.values[2 * i], right = out.values[2 * i + 1];
        ASSERT_NEAR(left, right, std::abs(left) / 50 + 2) << i;  // pan 128 of 0..255 is a hair right of centre
        cross += double(left) * input[i];
        in_energy += double(input[i]) * input[i];
        out_energy += double(left) * left;
    }
    double correlation = cross / std::sqrt(in_energy * out_energy);
    EXPECT_GT(correlation, 0.99);
    double gain = std::sqrt(out_energy / in_energy);
    EXPECT_GT(gain, 0.4);
    EXPECT_LT(gain, 1.05);
    // After the sound: silence.
    for (size_t i = input.size() + 8; i < out.values.size() / 2; ++i) ASSERT_EQ(out.values[2 * i], 0) << i;
}

TEST_F(SoundRenderTool, QualityAndRateChooseTheOutputRate) {
    wav_writer::save(path("in.wav"), wav_writer::pcm8(std::vector<uint8_t>(3000, 200), 1, 11025));
    ASSERT_EQ(run(path("in.wav") + " " + path("q0.wav") + " --quality 0"), 0);
    EXPECT_EQ(read_wav16(path("q0.wav")).rate, 11025);
    ASSERT_EQ(run(path("in.wav") + " " + path("r.wav") + " --quality 2 --rate 16000"), 0);
    Wav r = read_wav16(path("r.wav"));
    EXPECT_EQ(r.rate, 16000);
    EXPECT_EQ(r.channels, 2);
    EXPECT_GT(r.values.size() / 2, 3000u * 16000 / 11025);
}

TEST_F(SoundRenderTool, DecodeWritesTheLoadedSampleAsSoxDecodesIt) {
    ASSERT_EQ(std::system("command -v sox >/dev/null 2>&1"), 0) << "sox is not installed (tools/install-deps test)";
    std::string death = std::string(NIMBREL_DEMO_DATA_DIR) + "/sfx/death.wav";
    ASSERT_EQ(run(death + " " + path("decoded.wav") + " --decode"), 0);
    Wav ours = read_wav16(path("decoded.wav"));
    EXPECT_EQ(ours.channels, 1);
    EXPECT_EQ(ours.rate, 22050);
    ASSERT_EQ(std::system(("sox -D " + death + " -t raw -e signed -b 16 -L " + path("sox.raw")).c_str()), 0);
    std::vector<uint8_t> reference = wav_writer::load(path("sox.raw"));
    ASSERT_GT(reference.size(), 1000u);
    ASSERT_GE(ours.values.size(), reference.size() / 2);
    for (size_t i = 0; i < reference.size() / 2; ++i)
        ASSERT_EQ(ours.values[i], int16_t(read_u16le(&reference[2 * i]))) << i;
}

TEST_F(SoundRenderTool, BadCommandLinesAndInputsFailWithACode) {
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("a.wav"), 2);
    EXPECT_EQ(run("a.wav b.wav --quality 5"), 2);
    EXPECT_EQ(run("a.wav b.wav --rate 100"), 2);
    EXPECT_EQ(run("a.wav b.wav --bogus"), 2);
    EXPECT_EQ(run(path("missing.wav") + " " + path("out.wav")), 1);
    wav_writer::save(path("junk.wav"), std::vector<uint8_t>(100, 'x'));
    EXPECT_EQ(run(path("junk.wav") + " " + path("out.wav")), 1);
    EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
}

}  // namespace
