// The sound facade's calls mapped onto the sound library.
#include "game/sound/sound_backend.h"

#include <cstdio>

#include "sound/system/sound.h"

namespace {

constexpr int kSoftwareChannels = 48;
constexpr uint32_t kInitFlags = 2;
// Unmanaged sample read from memory, in the mode the game always uses:
// 16-bit signed mono asked for, the WAV header deciding depth and channels.
constexpr uint32_t kGameSampleMode = SAMPLE_FROM_MEMORY | SAMPLE_SIGNED | SAMPLE_MONO | SAMPLE_16BITS;
static_assert(kGameSampleMode == 0x8130, "the mode the game has always loaded its samples in");
// Songs come from memory and loop.
constexpr uint32_t kGameSongMode = SONG_MODE_MEMORY | SONG_MODE_LOOP;

class LibrarySoundBackend : public SoundBackend {
public:
    explicit LibrarySoundBackend(bool silent) : silent_(silent) {}

    bool open(int mixer_type, int buffer_ms, int rate) override {
        return start(silent_ ? OUTPUT_NOSOUND : OUTPUT_AUDIO_DEVICE, mixer_type, buffer_ms, rate);
    }
    bool has_audio_driver() override { return !silent_ && sound_get_num_drivers() > 0; }
    bool open_silent(int mixer_type, int buffer_ms, int rate) override {
        if (!silent_) std::fprintf(stderr, "tarrowind: no audio output, continuing without sound\n");
        return start(OUTPUT_NOSOUND, mixer_type, buffer_ms, rate);
    }
    void close() override { sound_close(); }

    SoundSample* load_sample(const uint8_t* bytes, int32_t size) override {
        return sample_load(-2, bytes, kGameSampleMode, 0, size);
    }
    void free_sample(SoundSample* sample) override { sample_free(sample); }
    int play_paused(int channel, SoundSample* sample) override {
        return channel_play_sound_ex(channel, sample, nullptr, 1);
    }
    void set_loop_mode(int handle, int mode) override { channel_set_loop_mode(handle, mode); }
    void set_volume(int handle, int volume) override { channel_set_volume(handle, volume); }
    void set_paused(int handle, bool paused) override { channel_set_paused(handle, paused ? 1 : 0); }
    void stop_channel(int handle) override { channel_stop_sound(handle); }

    MusicSong* load_song(const uint8_t* bytes, int32_t size) override {
        return music_load_song_ex(bytes, 0, size, kGameSongMode, nullptr, 0);
    }
    void free_song(MusicSong* song) override { music_free_song(song); }
    void stop_all_songs() override { music_stop_all_songs(); }
    int song_type(MusicSong* song) override { return music_get_type(song); }
    void set_song_volume(MusicSong* song, int volume) override { music_set_master_volume(song, volume); }
    void set_pan_separation(MusicSong* song, float separation) override {
        music_set_pan_separation(song, separation);
    }
    void play_song(MusicSong* song) override { music_play_song(song); }
    int set_song_order(MusicSong* song, int order) override { return music_set_order(song, order); }
    int song_pattern(MusicSong* song) override { return music_get_current_pattern(song); }

private:
    static bool start(int output, int mixer_type, int buffer_ms, int rate) {
        sound_set_output(output);
        sound_set_mixer(mixer_type);
        sound_set_buffer_size(buffer_ms);
        return sound_init(rate, kSoftwareChannels, kInitFlags) != 0;
    }

    bool silent_;
};

}  // namespace

std::unique_ptr<SoundBackend> make_library_sound_backend(bool silent) {
    return std::make_unique<LibrarySoundBackend>(silent);
}
