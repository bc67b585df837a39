// The calls the game's sound facade makes into the sound library, behind an
// interface so that the facade can be tested against a recording fake and a
// headless run can ask for the silent output.
#pragma once

#include <cstdint>
#include <memory>

struct SoundSample;
struct MusicSong;

class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    // Sets the mixer and the buffer length, then starts the library at the
    // rate with 48 software channels on its output. True when it runs.
    virtual bool open(int mixer_type, int buffer_ms, int rate) = 0;
    // After a failed open: whether another attempt may succeed, that is, an
    // audio driver is there but its device did not open (taken by another
    // program, for instance).
    virtual bool has_audio_driver() { return false; }
    // After the last failed open: starts the library without sound, so that
    // the game runs on silently. True when it runs.
    virtual bool open_silent(int mixer_type, int buffer_ms, int rate) = 0;
    virtual void close() = 0;

    // An unmanaged sample made from file bytes; null when they do not decode.
    virtual SoundSample* load_sample(const uint8_t* bytes, int32_t size) = 0;
    virtual void free_sample(SoundSample* sample) = 0;
    // Starts the sample paused on `channel` (-1: any free one) and returns the
    // channel handle, or -1.
    virtual int play_paused(int channel, SoundSample* sample) = 0;
    virtual void set_loop_mode(int handle, int mode) = 0;
    virtual void set_volume(int handle, int volume) = 0;
    virtual void set_paused(int handle, bool paused) = 0;
    virtual void stop_channel(int handle) = 0;

    // A song from file bytes; null when the bytes hold none.
    virtual MusicSong* load_song(const uint8_t* bytes, int32_t size) = 0;
    virtual void free_song(MusicSong* song) = 0;
    virtual void stop_all_songs() = 0;
    virtual int song_type(MusicSong* song) = 0;
    virtual void set_song_volume(MusicSong* song, int volume) = 0;
    virtual void set_pan_separation(MusicSong* song, float separation) = 0;
    virtual void play_song(MusicSong* song) = 0;
    virtual int set_song_order(MusicSong* song, int order) = 0;
    virtual int song_pattern(MusicSong* song) = 0;
};

// The sound library itself. With `silent` set the library runs on its
// no-sound output (headless runs, hosts without an audio device).
std::unique_ptr<SoundBackend> make_library_sound_backend(bool silent);
