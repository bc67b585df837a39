// The sound_render tool as a user runs it: a separate process on files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "tools/wav_tools/wav_writer.h"
#include "tools/xm_tools/xm_writer.h"

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

// Two patterns of 8 rows at speed 6, tempo 125: 0.96 s each. With `jump`
// the last row of the second jumps back to the first order.
std::vector<uint8_t> two_order_song(bool jump) {
    xm::Module m;
    m.channels = 2;
    m.orders = {0, 1};
    for (int i = 0; i < 2; ++i) {
        xm::Pattern p;
        p.rows = 8;
        p.at(0, 0, m.channels) = xm::Cell{49, 1, 0, 0, 0};
        m.patterns.push_back(p);
    }
    if (jump) m.patterns[1].at(7, 1, m.channels) = xm::Cell{0, 0, 0, 0x0B, 0};
    m.instruments.push_back(xm::simple_instrument(xm::square_sample()));
    return xm::write(m);
}

TEST_F(SoundRenderTool, ASongEndsWhereItComesBackRound) {
    struct Case {
        bool jump;
        std::string arguments;
        double seconds;  // what a player of the file hears
    };
    const Case cases[] = {
        {false, "", 1.92},
        {true, "", 1.92},
        {true, "--loops 1", 3.84},
        {true, "--loops 2", 5.76},
        {true, "--loops 100 --max-seconds 3", 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + (c.jump ? " (jumps back)" : ""));
        ASSERT_TRUE(wav_writer::save(path("song.xm"), two_order_song(c.jump)));
        ASSERT_EQ(run(path("song.xm") + " " + path("song.wav") + " --rate 22050 " + c.arguments), 0);
        const Wav out = read_wav16(path("song.wav"));
        ASSERT_EQ(out.channels, 2);
        const double seconds = double(out.values.size() / 2) / out.rate;
        EXPECT_GE(seconds, c.seconds - 0.03);
        EXPECT_LE(seconds, c.seconds + 0.06);  // the mix goes by blocks
        bool heard = false;
        for (int16_t v : out.values) heard = heard || v != 0;
        EXPECT_TRUE(heard);
    }
}

TEST_F(SoundRenderTool, BadCommandLinesAndInputsFailWithACode) {
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("a.wav"), 2);
    EXPECT_EQ(run("a.wav b.wav --quality 5"), 2);
    EXPECT_EQ(run("a.wav b.wav --rate 100"), 2);
    EXPECT_EQ(run("a.wav b.wav --bogus"), 2);
    EXPECT_EQ(run("a.wav b.wav --loops -1"), 2);
    EXPECT_EQ(run("a.wav b.wav --loops"), 2);
    EXPECT_EQ(run(path("missing.wav") + " " + path("out.wav")), 1);
    wav_writer::save(path("junk.wav"), std::vector<uint8_t>(100, 'x'));
    EXPECT_EQ(run(path("junk.wav") + " " + path("out.wav")), 1);
    EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
}

}  // namespace
