#include <gtest/gtest.h>

#include <string>

#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "tests/sound/wav_test_support.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

using wav_writer::Chunk;
using WavPcm = WavTest;
using WavLoop = WavTest;
using WavCues = WavTest;

std::vector<int16_t> ramp16(int count, int channels = 1) {
    std::vector<int16_t> values;
    for (int i = 0; i < count * channels; ++i) values.push_back(int16_t(i * 37 - 20000));
    return values;
}

Chunk format_chunk(int tag, int channels, int rate, int bits, int size = 16) {
    Chunk fmt = wav_writer::pcm_format(channels, rate, bits);
    write_u16le(fmt.body.data(), uint16_t(tag));
    fmt.body.resize(size_t(size), 0);
    return fmt;
}

Chunk extensible_format(int channels, int bits, int sub_format) {
    Chunk fmt = format_chunk(0xFFFE, channels, 22050, bits, 40);
    write_u16le(fmt.body.data() + 16, 22);
    fmt.body[24] = uint8_t(sub_format);
    return fmt;
}

Chunk junk(const std::string& id, size_t size) { return Chunk{id, std::vector<uint8_t>(size, 0xA5)}; }

TEST_F(WavPcm, OddLengthEightBitDataIsMadeSignedAndThePadByteSkipped) {
    std::vector<uint8_t> bytes = {0, 1, 127, 128, 129, 255, 200};
    std::vector<uint8_t> file = wav_writer::riff(
        {wav_writer::pcm_format(1, 11025, 8), wav_writer::data(bytes), wav_writer::sample_loop(1, 5)});
    LoadedSample sample = load_wav(file, 0);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 7);
    EXPECT_EQ(sample->default_frequency, 11025);
    EXPECT_TRUE(sample->mode & SAMPLE_SIGNED);
    EXPECT_FALSE(sample->mode & SAMPLE_UNSIGNED);
    EXPECT_TRUE(sample->mode & SAMPLE_8BITS);
    std::vector<uint8_t> got = sample_bytes(sample.sample);
    ASSERT_EQ(got.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(int8_t(got[i]), int(bytes[i]) - 128) << i;
    // The "smpl" chunk behind the pad byte was found.
    EXPECT_EQ(sample->loop_start, 1);
    EXPECT_EQ(sample->loop_length, 5);
}

TEST_F(WavPcm, ChunkOrderAndExtraChunksDoNotMatter) {
    std::vector<int16_t> first = ramp16(300), second = ramp16(10);
    std::vector<uint8_t> data = wav_writer::pcm16_bytes(first);
    const std::vector<std::vector<Chunk>> layouts = {
        {wav_writer::data(data), wav_writer::pcm_format(1, 22050, 16)},  // data before fmt
        {wav_writer::pcm_format(1, 22050, 16), junk("LIST", 33), junk("fact", 4), wav_writer::data(data)},
        {wav_writer::pcm_format(1, 22050, 16), wav_writer::data(data),
         wav_writer::data(wav_writer::pcm16_bytes(second))},  // only the first data chunk counts
        {format_chunk(1, 1, 22050, 16, 18), wav_writer::data(data)},
        {format_chunk(1, 1, 22050, 16, 40), wav_writer::data(data)},
        {extensible_format(1, 16, 1), wav_writer::data(data)},
    };
    for (size_t i = 0; i < layouts.size(); ++i) {
        LoadedSample sample = load_wav(wav_writer::riff(layouts[i]));
        ASSERT_TRUE(sample) << "layout " << i << " error " << sound_get_error();
        EXPECT_EQ(sample_values16(sample.sample), first) << "layout " << i;
        EXPECT_EQ(sample->default_pan, 128);
    }
}

TEST_F(WavPcm, StereoSixteenBitKeepsBothChannelsAndWholeFramesOnly) {
    std::vector<int16_t> values = ramp16(100, 2);
    std::vector<uint8_t> data = wav_writer::pcm16_bytes(values);
    data.push_back(0x11);  // a stray byte: not a whole frame
    data.push_back(0x22);
    data.push_back(0x33);
    LoadedSample sample = load_wav(wav_writer::riff({wav_writer::pcm_format(2, 44100, 16), wav_writer::data(data)}));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 100);
    EXPECT_TRUE(sample->mode & SAMPLE_STEREO);
    EXPECT_EQ(sample->default_pan, -1);
    EXPECT_EQ(sample_values16(sample.sample), values);
}

TEST_F(WavPcm, UnsupportedEncodingsAreRefusedAsFormatErrors) {
    std::vector<uint8_t> data(400, 1);
    const std::vector<Chunk> formats = {
        format_chunk(2, 1, 22050, 4),   format_chunk(3, 1, 22050, 32), format_chunk(6, 1, 8000, 8),
        format_chunk(7, 1, 8000, 8),    format_chunk(80, 2, 44100, 0), format_chunk(85, 2, 44100, 0),
        format_chunk(1, 1, 44100, 24),  format_chunk(1, 1, 44100, 12), extensible_format(2, 24, 3),
        format_chunk(1, 3, 44100, 16),  format_chunk(1, 0, 44100, 16), extensible_format(1, 16, 2),
        format_chunk(1, 1, 22050, 16, 14),  // a short chunk: bits read as zero
    };
    for (size_t i = 0; i < formats.size(); ++i) {
        EXPECT_FALSE(load_wav(wav_writer::riff({formats[i], wav_writer::data(data)}))) << i;
        EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT) << i;
    }
}

TEST_F(WavPcm, MissingPiecesAreRefused) {
    std::vector<uint8_t> data(64, 1);
    EXPECT_FALSE(load_wav(wav_writer::riff({wav_writer::data(data)})));  // no fmt
    EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT);
    EXPECT_FALSE(load_wav(wav_writer::riff({wav_writer::pcm_format(1, 8000, 8)})));  // no data
    EXPECT_NE(sound_get_error(), SOUND_OK);
    std::vector<uint8_t> file = wav_writer::pcm8(data, 1, 8000);
    file[0] = 'X';
    EXPECT_FALSE(load_wav(file));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT);
    EXPECT_FALSE(load_wav(wav_writer::riff({wav_writer::pcm_format(1, 8000, 8), wav_writer::data({})})));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_CORRUPT);
}

TEST_F(WavPcm, SizesThatLieLoadWhatTheFileHolds) {
    std::vector<int16_t> values = ramp16(500);
    std::vector<uint8_t> file = wav_writer::pcm16(values, 1, 22050);
    // A RIFF size far beyond the file: the walk stops at the end.
    std::vector<uint8_t> big_riff = file;
    write_u32le(big_riff.data() + 4, 0x7FFFFFF0);
    LoadedSample a = load_wav(big_riff);
    ASSERT_TRUE(a);
    EXPECT_EQ(sample_values16(a.sample), values);
    // A data chunk cut short: what is there loads.
    std::vector<uint8_t> cut(file.begin(), file.end() - 201);
    LoadedSample b = load_wav(cut);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->length, 399);  // whole frames of what remains
    EXPECT_EQ(sample_values16(b.sample), std::vector<int16_t>(values.begin(), values.begin() + 399));
    // A chunk before data whose size runs past the end hides the data.
    std::vector<uint8_t> lying = wav_writer::riff(
        {wav_writer::pcm_format(1, 22050, 16), junk("junk", 8), wav_writer::data(wav_writer::pcm16_bytes(values))});
    write_u32le(lying.data() + 12 + 24 + 4, 0x7FFFFFF0);
    EXPECT_FALSE(load_wav(lying));
    // A fmt chunk claiming more than the file is read as far as it goes.
    std::vector<uint8_t> long_fmt = wav_writer::riff({wav_writer::data(wav_writer::pcm16_bytes(values)),
                                                      wav_writer::pcm_format(1, 22050, 16)});
    write_u32le(long_fmt.data() + long_fmt.size() - 20, 0x7FFFFFF0);
    LoadedSample c = load_wav(long_fmt);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->length, 500);
}

TEST_F(WavLoop, SmplLoopBecomesANormalLoopUnderTheGamesMode) {
    std::vector<uint8_t> data = wav_writer::pcm16_bytes(ramp16(3000));
    auto with_loop = [&](int start, int end) {
        return wav_writer::riff({wav_writer::pcm_format(1, 22050, 16), wav_writer::sample_loop(start, end),
                                 wav_writer::data(data)});
    };
    LoadedSample looped = load_wav(with_loop(100, 2000), 0x8130);
    ASSERT_TRUE(looped);
    EXPECT_EQ(looped->mode & kSampleLoopBits, uint32_t(SAMPLE_LOOP_NORMAL));
    EXPECT_EQ(looped->loop_start, 100);
    EXPECT_EQ(looped->loop_length, 1901);

    LoadedSample clamped = load_wav(with_loop(100, 9000), 0x8130);
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->loop_start + clamped->loop_length - 1, 2999);

    for (auto bad : {std::pair{2000, 100}, std::pair{5000, 6000}, std::pair{700, 700}}) {
        LoadedSample one_shot = load_wav(with_loop(bad.first, bad.second), 0x8130);
        ASSERT_TRUE(one_shot);
        EXPECT_EQ(one_shot->mode & kSampleLoopBits, uint32_t(SAMPLE_LOOP_OFF)) << bad.first;
        EXPECT_EQ(one_shot->loop_start, 0);
        EXPECT_EQ(one_shot->loop_length, 3000);
    }

    LoadedSample caller_off = load_wav(with_loop(100, 2000), 0x8131);
    ASSERT_TRUE(caller_off);
    EXPECT_EQ(caller_off->mode & SAMPLE_LOOP_NORMAL, 0u);
    EXPECT_EQ(caller_off->loop_start, 100);

    LoadedSample plain = load_wav(wav_writer::pcm16(ramp16(3000), 1, 22050), 0x8130);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->mode & kSampleLoopBits, uint32_t(SAMPLE_LOOP_OFF));
}

// Collects what the chunk walk reports for a stream.
struct RecordingCues : WavCueSink {
    std::vector<std::pair<uint32_t, uint32_t>> points;
    std::vector<std::string> names;
    int cleared = 0, freed = 0;
    void clear() override {
        ++cleared;
        points.clear();
        names.clear();
    }
    void add(uint32_t id, uint32_t offset) override {
        points.emplace_back(id, offset);
        names.emplace_back();
    }
    void set_name(uint32_t id, int first, const char* name) override {
        for (int i = 0; i < first && i < int(points.size()); ++i)
            if (points[size_t(i)].first == id) names[size_t(i)] = name;
    }
    void free_all() override { ++freed; }
};

Chunk cue_chunk(const std::vector<std::pair<uint32_t, uint32_t>>& cues) {
    Chunk cue{"cue ", {}};
    append_u32le(cue.body, uint32_t(cues.size()));
    for (auto [id, offset] : cues) {
        std::vector<uint8_t> point(24, 0);
        write_u32le(point.data(), id);
        write_u32le(point.data() + 20, offset);
        cue.body.insert(cue.body.end(), point.begin(), point.end());
    }
    return cue;
}

Chunk label_list(const std::vector<std::pair<uint32_t, std::string>>& labels, int forced_size = -1) {
    Chunk list{"LIST", {'a', 'd', 't', 'l'}};
    for (const auto& [id, text] : labels) {
        std::vector<uint8_t> body;
        append_u32le(body, id);
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
        Chunk labl{"labl", body};
        std::vector<uint8_t> bytes;
        wav_writer::append_chunk(bytes, labl);
        if (forced_size >= 0) write_u32le(bytes.data() + 4, uint32_t(forced_size));
        list.body.insert(list.body.end(), bytes.begin(), bytes.end());
    }
    return list;
}

bool walk(const std::vector<uint8_t>& file, RecordingCues& cues) {
    SoundFile* handle = sound_file_open(file.data(), SOUND_FILE_MEMORY, int(file.size()));
    WavChunks chunks;
    bool ok = wav_parse_chunks(handle, chunks, true, &cues);
    sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);
    sound_file_close(handle);
    return ok;
}

TEST_F(WavCues, CuePointsAndLabelsNameTheStreamsSyncPoints) {
    std::vector<uint8_t> data(100, 0x80);
    std::vector<uint8_t> file = wav_writer::riff({wav_writer::pcm_format(1, 8000, 8), cue_chunk({{7, 10}, {9, 55}}),
                                                  label_list({{9, "chorus"}, {7, "intro"}}), wav_writer::data(data)});
    RecordingCues cues;
    ASSERT_TRUE(walk(file, cues));
    ASSERT_EQ(cues.points.size(), 2u);
    EXPECT_EQ(cues.points[1], (std::pair<uint32_t, uint32_t>{9, 55}));
    EXPECT_EQ(cues.names, (std::vector<std::string>{"intro", "chorus"}));
}

TEST_F(WavCues, OversizedAndUndersizedLabelsStayInsideTheName) {
    std::vector<uint8_t> data(100, 0x80);
    std::string long_text(1000, 'x');
    RecordingCues cues;
    ASSERT_TRUE(walk(wav_writer::riff({wav_writer::pcm_format(1, 8000, 8), cue_chunk({{1, 0}}),
                                       label_list({{1, long_text}}), wav_writer::data(data)}),
                     cues));
    ASSERT_EQ(cues.names.size(), 1u);
    EXPECT_EQ(cues.names[0], std::string(255, 'x'));
    for (int size : {0, 1, 3}) {
        RecordingCues small;
        ASSERT_TRUE(walk(wav_writer::riff({wav_writer::pcm_format(1, 8000, 8), cue_chunk({{1, 0}}),
                                           label_list({{1, "abc"}}, size), wav_writer::data(data)}),
                         small))
            << size;
        EXPECT_EQ(small.names, std::vector<std::string>{""}) << size;
    }
}

TEST_F(WavCues, MpegFormatsFreeTheSyncPoints) {
    std::vector<uint8_t> data(100, 0);
    RecordingCues cues;
    SoundFile* handle = nullptr;
    std::vector<uint8_t> file =
        wav_writer::riff({format_chunk(85, 2, 44100, 0), cue_chunk({{1, 0}}), wav_writer::data(data)});
    handle = sound_file_open(file.data(), SOUND_FILE_MEMORY, int(file.size()));
    WavInfo info;
    EXPECT_FALSE(wav_open(handle, info, &cues));
    EXPECT_EQ(sound_get_error(), SOUND_ERR_FORMAT);
    EXPECT_EQ(cues.freed, 1);
    sound_file_close(handle);
}

}  // namespace
