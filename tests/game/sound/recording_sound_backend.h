// A sound library stand-in that records every call, for the facade's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/sound/sound_backend.h"

class RecordingSoundBackend : public SoundBackend {
public:
    struct Log {
        std::vector<std::string> calls;
        int opens = 0, closes = 0, live_samples = 0, live_songs = 0;
        int last_volume = -1, last_song_volume = -1;
        bool fail_songs = false;
        bool fail_open = false;       // every open fails
        int open_failures = 0;        // the first this many opens fail
        bool audio_driver = false;    // a failed open may succeed later
        int silent_opens = 0;
        // Each sample started, by the bytes after its leading 'S' (the
        // file's name where the test's reader serves names).
        std::vector<std::string> played;
    };
    explicit RecordingSoundBackend(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    bool open(int mixer_type, int buffer_ms, int rate) override {
        ++log_->opens;
        log_->calls.push_back("open " + std::to_string(mixer_type) + " " + std::to_string(buffer_ms) + " " +
                              std::to_string(rate));
        if (log_->open_failures > 0) return --log_->open_failures, false;
        return !log_->fail_open;
    }
    bool has_audio_driver() override { return log_->audio_driver; }
    bool open_silent(int, int, int) override {
        ++log_->silent_opens;
        return true;
    }
    void close() override {
        ++log_->closes;
        log_->calls.push_back("close");
    }
    SoundSample* load_sample(const uint8_t* bytes, int32_t size) override {
        if (size == 0 || bytes[0] != 'S') return nullptr;
        ++log_->live_samples;
        return reinterpret_cast<SoundSample*>(new std::string(bytes + 1, bytes + size));
    }
    void free_sample(SoundSample* sample) override {
        --log_->live_samples;
        delete reinterpret_cast<std::string*>(sample);
    }
    int play_paused(int channel, SoundSample* sample) override {
        log_->calls.push_back("play " + std::to_string(channel));
        log_->played.push_back(*reinterpret_cast<std::string*>(sample));
        return 7;
    }
    void set_loop_mode(int, int mode) override { log_->calls.push_back("loop " + std::to_string(mode)); }
    void set_volume(int, int volume) override { log_->last_volume = volume; }
    void set_paused(int, bool paused) override { log_->calls.push_back(paused ? "pause" : "unpause"); }
    void stop_channel(int handle) override { log_->calls.push_back("stop " + std::to_string(handle)); }

    MusicSong* load_song(const uint8_t* bytes, int32_t size) override {
        if (log_->fail_songs || size == 0 || bytes[0] != 'M') return nullptr;
        ++log_->live_songs;
        log_->calls.push_back("load song");
        return reinterpret_cast<MusicSong*>(new char(0));
    }
    void free_song(MusicSong* song) override {
        --log_->live_songs;
        delete reinterpret_cast<char*>(song);
    }
    void stop_all_songs() override {}
    int song_type(MusicSong*) override { return 3; }
    void set_song_volume(MusicSong*, int volume) override { log_->last_song_volume = volume; }
    void set_pan_separation(MusicSong*, float) override { log_->calls.push_back("pan"); }
    void play_song(MusicSong*) override { log_->calls.push_back("play song"); }
    int set_song_order(MusicSong*, int order) override { return order + 100; }
    int song_pattern(MusicSong*) override { return 5; }

private:
    std::shared_ptr<Log> log_;
};
