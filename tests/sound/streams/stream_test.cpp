// Streams in the non-real-time output: opening (prefix, refusals), sync
// points from WAV cue points, playing against the same sound played as a
// sample, loops and their sync order, seeks, the end, and asynchronous opens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sound/samples/sample_load.h"
#include "tests/sound/sound_test_support.h"
#include "tools/wav_tools/ima_encoder.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

using sound_test::NonRealtimeSound;

constexpr uint32_t kMemory = SAMPLE_FROM_MEMORY;

// A stereo tone whose halves differ, so that swapped or shifted frames show.
std::vector<int16_t> stereo_tone(int frames, int rate) {
    std::vector<int16_t> left = sound_test::wave(frames, 331, rate, 12000);
    std::vector<int16_t> right = sound_test::wave(frames, 517, rate, 9000);
    std::vector<int16_t> out;
    for (int i = 0; i < frames; ++i) out.push_back(left[size_t(i)]), out.push_back(right[size_t(i)]);
    return out;
}

// A "cue " chunk and its "LIST"/"adtl" labels: {id, frame, label}.
struct Cue {
    uint32_t id;
    uint32_t frame;
    std::string label;
};

std::vector<wav_writer::Chunk> cue_chunks(const std::vector<Cue>& cues) {
    wav_writer::Chunk cue{"cue ", {}};
    append_u32le(cue.body, uint32_t(cues.size()));
    for (const Cue& c : cues) {
        append_u32le(cue.body, c.id);
        append_u32le(cue.body, c.frame);
        for (char ch : std::string("data")) cue.body.push_back(uint8_t(ch));
        append_u32le(cue.body, 0);
        append_u32le(cue.body, 0);
        append_u32le(cue.body, c.frame);
    }
    wav_writer::Chunk list{"LIST", {}};
    for (char ch : std::string("adtl")) list.body.push_back(uint8_t(ch));
    for (const Cue& c : cues) {
        std::vector<uint8_t> labl;
        append_u32le(labl, c.id);
        for (char ch : c.label) labl.push_back(uint8_t(ch));
        labl.push_back(0);
        for (char ch : std::string("labl")) list.body.push_back(uint8_t(ch));
        append_u32le(list.body, uint32_t(labl.size()));
        list.body.insert(list.body.end(), labl.begin(), labl.end());
        if (labl.size() & 1) list.body.push_back(0);
    }
    return {cue, list};
}

std::vector<uint8_t> mono_wav_with_cues(int frames, int rate, const std::vector<Cue>& cues) {
    std::vector<wav_writer::Chunk> chunks{wav_writer::pcm_format(1, rate, 16),
                                          wav_writer::data(wav_writer::pcm16_bytes(sound_test::wave(frames, 440, rate)))};
    for (const wav_writer::Chunk& c : cue_chunks(cues)) chunks.push_back(c);
    return wav_writer::riff(chunks);
}

SoundStream* open_memory(const std::vector<uint8_t>& bytes, uint32_t mode = 0) {
    return stream_open(bytes.data(), mode | kMemory, 0, int(bytes.size()));
}

// Renders `frames` output frames of a WAV played as a sample (reference) or
// as a stream, optionally started at `start` frames.
std::vector<int16_t> render_sample(const std::vector<uint8_t>& wav, size_t frames, int start = 0) {
    NonRealtimeSound sound;
    SoundSample* s = sample_load(kSampleAnyFree, wav.data(), kMemory, 0, int(wav.size()));
    EXPECT_NE(s, nullptr);
    const int h = channel_play_sound_ex(kChannelFree, s, nullptr, 1);
    if (start) channel_set_position(h, start);
    channel_set_paused(h, 0);
    sound.render_frames(frames);
    sound.frames.resize(frames * 2);
    return sound.frames;
}

struct Events {
    std::vector<std::pair<std::string, int>> syncs;
    int ends = 0;
    static void on_sync(SoundStream*, const char* name, int offset, intptr_t user) {
        reinterpret_cast<Events*>(user)->syncs.emplace_back(name, offset);
    }
    static void on_end(SoundStream*, intptr_t user) { ++reinterpret_cast<Events*>(user)->ends; }
    void attach(SoundStream* s) {
        stream_set_sync_callback(s, on_sync, reinterpret_cast<intptr_t>(this));
        stream_set_end_callback(s, on_end, reinterpret_cast<intptr_t>(this));
    }
};

TEST(Stream, OpeningRefusalsAndTheFilePrefix) {
    NonRealtimeSound sound;
    ASSERT_TRUE(sound.ok);
    EXPECT_EQ(stream_set_buffer_size(49), 0);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_PARAM);
    EXPECT_EQ(stream_set_buffer_size(50), 1);
    EXPECT_EQ(stream_set_buffer_size(kStreamDefaultBufferMs), 1);

    const std::vector<uint8_t> wav = wav_writer::pcm16(sound_test::wave(5000, 440, 22050), 1, 22050);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("nimbrel-stream-" + std::to_string(getpid()) + ".wav")).string();
    ASSERT_TRUE(wav_writer::save(path, wav));
    SoundStream* plain = stream_open(path.c_str(), 0, 0, 0);
    SoundStream* prefixed = stream_open(("file://" + path).c_str(), 0, 0, 0);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(prefixed, nullptr);
    EXPECT_EQ(stream_get_length(prefixed), 10000);
    EXPECT_EQ(stream_get_length_ms(prefixed), stream_get_length_ms(plain));
    EXPECT_EQ(stream_get_length_ms(plain), (5000 * 1000 + 999) / 22050);
    stream_close(plain);
    stream_close(prefixed);
    std::filesystem::remove(path);
    EXPECT_EQ(stream_open("/no/such/stream.wav", 0, 0, 0), nullptr);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_NO_FILE);

    // Data of length 0 is refused rather than divided by.
    const std::vector<uint8_t> empty = wav_writer::pcm16({}, 1, 22050);
    EXPECT_EQ(open_memory(empty), nullptr);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_FORMAT);
    // Mono mixdown of ADPCM data is refused; of PCM it makes a mono stream.
    const std::vector<uint8_t> adpcm = ima_encoder::wav(stereo_tone(4000, 22050), 2, 22050, 2048, 2041);
    EXPECT_EQ(open_memory(adpcm, SAMPLE_FORCE_MONO), nullptr);
    EXPECT_EQ(g_sound_error.load(), SOUND_ERR_PARAM);
    SoundStream* mono = open_memory(wav_writer::pcm16(stereo_tone(4000, 22050), 2, 22050), SAMPLE_FORCE_MONO);
    ASSERT_NE(mono, nullptr);
    EXPECT_TRUE(stream_get_sample(mono)->mode & SAMPLE_MONO);
    stream_close(mono);
}

TEST(Stream, CuePointsBecomeNamedSyncPointsInOffsetOrder) {
    NonRealtimeSound sound;
    const auto wav = mono_wav_with_cues(6000, 22050, {{7, 3000, "third"}, {2, 1000, "first"}, {5, 2000, "second"}});
    SoundStream* s = open_memory(wav);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(stream_get_num_syncpoints(s), 3);
    const char* names[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i) {
        int offset = -1;
        EXPECT_STREQ(stream_get_syncpoint_info(stream_get_syncpoint(s, i), &offset), names[i]);
        EXPECT_EQ(offset, 1000 * (i + 1));
    }
    // Added points keep the order; points outside the stream are refused.
    SyncPoint* early = stream_add_syncpoint(s, 10, "early");
    EXPECT_EQ(stream_get_syncpoint(s, 0), early);
    EXPECT_EQ(stream_add_syncpoint(s, 6000, "past"), nullptr);
    EXPECT_EQ(stream_delete_syncpoint(early), 1);
    EXPECT_EQ(stream_get_num_syncpoints(s), 3);
    stream_close(s);
}

TEST(Stream, PcmAndAdpcmStreamsSoundLikeTheWavPlayedAsASample) {
    // Longer than the two halves, so the stream refills several times.
    for (const std::vector<uint8_t>& wav : {wav_writer::pcm16(stereo_tone(60000, 44100), 2, 44100),
                                            ima_encoder::wav(sound_test::wave(50000, 330, 22050), 1, 22050, 1024, 2041)}) {
        const size_t frames = 100000;
        const std::vector<int16_t> reference = render_sample(wav, frames);
        NonRealtimeSound sound;
        SoundStream* s = open_memory(wav);
        ASSERT_NE(s, nullptr);
        Events events;
        events.attach(s);
        ASSERT_GE(stream_play(kChannelFree, s), 0);
        sound.render_frames(frames);
        sound.frames.resize(frames * 2);
        EXPECT_EQ(sound.frames, reference);
        // The data has ended and been heard: the stream stopped once.
        sound.render_frames(20000);
        EXPECT_EQ(events.ends, 1);
        EXPECT_EQ(stream_get_time(s), stream_get_length_ms(s));
        stream_close(s);
    }
}

TEST(Stream, LoopsRepeatTheSyncPointsAndEndOnce) {
    NonRealtimeSound sound;
    const auto wav = mono_wav_with_cues(3000, 22050, {{1, 100, "a"}, {2, 2000, "b"}});
    SoundStream* s = open_memory(wav, SAMPLE_LOOP_NORMAL);
    ASSERT_NE(s, nullptr);
    Events events;
    events.attach(s);
    stream_set_loop_count(s, 2);
    ASSERT_GE(stream_play(kChannelFree, s), 0);
    sound.render_frames(44100);
    const std::vector<std::pair<std::string, int>> expected{{"a", 100}, {"b", 2000}, {"a", 100},
                                                            {"b", 2000}, {"a", 100}, {"b", 2000}};
    EXPECT_EQ(events.syncs, expected);
    EXPECT_EQ(events.ends, 1);
    // Three passes were heard, then silence.
    const std::vector<int> left = sound_test::channel_of(sound.frames, 2, 0);
    const size_t heard = 3 * 3000 * 2;  // 22050 Hz frames at 44100 Hz
    EXPECT_GT(sound_test::rms(std::vector<int>(left.begin() + 1000, left.begin() + heard - 1000)), 1000);
    EXPECT_EQ(sound_test::rms(std::vector<int>(left.begin() + heard + 200, left.end())), 0);
    stream_close(s);
}

// With loop points every pass plays from the loop start to the loop end and
// fires the points it passes in offset order, including one on the loop's
// last frame (which the output passes between two blocks). The points before
// the loop start are heard once, those past the loop end never: after the
// last pass the sound ends at the loop end.
TEST(Stream, LoopPointsFireTheirSyncPointsOnEveryPassInOrder) {
    NonRealtimeSound sound;
    const auto wav = mono_wav_with_cues(6000, 22050, {{1, 500, "before"}, {2, 3000, "inside"}, {3, 4999, "last"},
                                                      {4, 5500, "after"}});
    SoundStream* s = open_memory(wav, SAMPLE_LOOP_NORMAL);
    ASSERT_NE(s, nullptr);
    Events events;
    events.attach(s);
    EXPECT_EQ(stream_set_loop_points(s, 2000, 5000), 1);
    stream_set_loop_count(s, 2);
    ASSERT_GE(stream_play(kChannelFree, s), 0);
    sound.render_frames(44100);
    const std::vector<std::pair<std::string, int>> expected{
        {"before", 500}, {"inside", 3000}, {"last", 4999}, {"inside", 3000},
        {"last", 4999},  {"inside", 3000}, {"last", 4999}};
    EXPECT_EQ(events.syncs, expected);
    EXPECT_EQ(events.ends, 1);
    EXPECT_EQ(stream_get_time(s), 5000 * 1000 / 22050);
    // 5000 + 2 x 3000 source frames were heard, then silence.
    const std::vector<int> left = sound_test::channel_of(sound.frames, 2, 0);
    const size_t heard = (5000 + 2 * 3000) * 2;  // 22050 Hz frames at 44100 Hz
    EXPECT_GT(sound_test::rms(std::vector<int>(left.begin() + 1000, left.begin() + heard - 1000)), 1000);
    EXPECT_EQ(sound_test::rms(std::vector<int>(left.begin() + heard + 200, left.end())), 0);
    stream_close(s);
}

// A sync callback may delete the points still due in the same block.
TEST(Stream, SyncCallbacksMayDeletePointsDueWithTheirs) {
    NonRealtimeSound sound;
    const auto wav = mono_wav_with_cues(3000, 22050, {{1, 100, "first"}, {2, 101, "second"}});
    SoundStream* s = open_memory(wav);
    ASSERT_NE(s, nullptr);
    struct Deleter {
        std::vector<std::string> names;
        static void on_sync(SoundStream* stream, const char* name, int, intptr_t user) {
            reinterpret_cast<Deleter*>(user)->names.emplace_back(name);
            while (stream_get_num_syncpoints(stream) > 0) stream_delete_syncpoint(stream_get_syncpoint(stream, 0));
        }
    } deleter;
    stream_set_sync_callback(s, Deleter::on_sync, reinterpret_cast<intptr_t>(&deleter));
    ASSERT_GE(stream_play(kChannelFree, s), 0);
    sound.render_frames(22050);
    EXPECT_EQ(deleter.names, (std::vector<std::string>{"first", "second"})) << "both were due when the block was heard";
    stream_close(s);
}

TEST(Stream, SeeksPlayFromTheNewPosition) {
    const std::vector<uint8_t> wav = wav_writer::pcm16(stereo_tone(80000, 44100), 2, 44100);
    const int target = 50000;
    const std::vector<int16_t> reference = render_sample(wav, 20000, target);
    NonRealtimeSound sound;
    SoundStream* s = open_memory(wav);
    ASSERT_GE(stream_play(kChannelFree, s), 0);
    sound.render_frames(5000);
    EXPECT_EQ(stream_set_sample_position(s, target), 1);
    EXPECT_EQ(stream_get_time(s), int(int64_t(target) * 1000 / 44100));
    sound.frames.clear();
    sound.render_frames(20000);
    sound.frames.resize(20000 * 2);
    EXPECT_EQ(sound.frames, reference);
    EXPECT_EQ(stream_set_time(s, stream_get_length_ms(s)), 0);
    EXPECT_EQ(stream_set_position(s, stream_get_length(s)), 0);
    EXPECT_EQ(stream_set_position(s, 0), 1);
    stream_close(s);
}

TEST(Stream, EndedStreamsStopInOnePassAndCallbackStreamsRun) {
    NonRealtimeSound sound;
    const std::vector<uint8_t> wav = wav_writer::pcm16(sound_test::wave(2000, 440, 22050), 1, 22050);
    SoundStream* a = open_memory(wav);
    SoundStream* b = open_memory(wav);
    Events events;
    events.attach(a);
    events.attach(b);
    stream_play(kChannelFree, a);
    stream_play(kChannelFree, b);
    sound.render_frames(44100);
    EXPECT_EQ(events.ends, 2);
    stream_close(a);
    stream_close(b);

    // A stream fed by a callback: a square wave for 3 fills, then the end.
    struct Feed {
        int calls = 0;
        static int fill(SoundStream*, void* buffer, int bytes, intptr_t user) {
            auto* f = reinterpret_cast<Feed*>(user);
            auto* out = static_cast<int16_t*>(buffer);
            for (int i = 0; i < bytes / 2; ++i) out[i] = int16_t(i & 32 ? 8000 : -8000);
            return ++f->calls < 3;
        }
    } feed;
    SoundStream* fed = stream_create(Feed::fill, 8192, SAMPLE_16BITS | SAMPLE_MONO, 22050, reinterpret_cast<intptr_t>(&feed));
    ASSERT_NE(fed, nullptr);
    Events fed_events;
    fed_events.attach(fed);
    sound.frames.clear();
    stream_play(kChannelFree, fed);
    sound.render_frames(44100);
    EXPECT_EQ(feed.calls, 3);
    EXPECT_EQ(fed_events.ends, 1);
    EXPECT_GT(sound_test::rms(sound_test::channel_of(sound.frames, 2, 0)), 1000);
    stream_close(fed);
}

TEST(Stream, AsynchronousOpensAreServedByTheUpdate) {
    NonRealtimeSound sound;
    const std::vector<uint8_t> wav = wav_writer::pcm16(sound_test::wave(4000, 440, 22050), 1, 22050);
    const std::vector<uint8_t> junk(64, 7);
    SoundStream* good = open_memory(wav, STREAM_MODE_ASYNC_OPEN);
    SoundStream* bad = open_memory(junk, STREAM_MODE_ASYNC_OPEN);
    ASSERT_NE(good, nullptr);
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(stream_get_open_state(good), -2);
    EXPECT_EQ(stream_close(good), 0);  // not to be used before it is open
    EXPECT_EQ(stream_play(kChannelFree, good), -1);
    sound_update();
    EXPECT_EQ(stream_get_open_state(good), 0);
    EXPECT_EQ(stream_get_open_state(bad), -3);
    EXPECT_GE(stream_play(kChannelFree, good), 0);
    sound.render_frames(4096);
    EXPECT_GT(sound_test::rms(sound_test::channel_of(sound.frames, 2, 0)), 1000);
    EXPECT_EQ(stream_close(good), 1);
    EXPECT_EQ(stream_close(bad), 1);
}

}  // namespace
