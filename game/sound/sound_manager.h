// The game's only way to sound: opens and closes the sound library as the
// player's volumes require, caches loaded samples by file name, plays them
// at the sound volume and plays one music file at a time at the music volume.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/memory_pool.h"
#include "game/sound/sound_backend.h"

class SoundManager : public PoolObject {
public:
    static constexpr int kQualityCount = 5;
    static constexpr int kMaxVolume = 256;

    explicit SoundManager(std::unique_ptr<SoundBackend> backend);
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Quality is clamped to 0..4 and volumes to 0..256 everywhere.
    void configure(int quality, int music_volume, int sound_volume);
    void set_quality(int quality);
    void set_sound_volume(int volume);
    void set_music_volume(int volume);

    // Channel handle, or -1 when closed, silent or the sample is missing.
    int play_sound(std::u16string_view name, int volume, int channel, bool loop);
    void stop_channel(int channel);
    // Frees every cached sample.
    void flush_samples();

    void play_music(std::u16string_view name, int base_volume);
    // The name widened byte by byte.
    void play_music_narrow(std::string_view name, int base_volume);
    void stop_music();
    int set_music_order(int order);
    int music_pattern();

    bool is_open() const { return open_; }
    bool has_song() const { return song_ != nullptr; }
    int sound_volume() const { return sound_volume_; }
    int music_volume() const { return music_volume_; }
    int quality() const { return quality_; }
    size_t cached_sample_count() const { return samples_.size(); }
    const std::optional<std::u16string>& music_name() const { return music_name_; }

    // Reads a whole file; the default reads through the engine's file system.
    std::function<std::optional<std::vector<uint8_t>>(std::u16string_view name)> read_file;
    // Waits between attempts to open the output; the default sleeps.
    std::function<void(uint32_t ms)> wait_ms;

private:
    struct CacheEntry {
        std::u16string name;
        SoundSample* sample;  // null: the file is missing or does not decode
    };

    void open_output();
    void close_output();
    void update_output();
    void free_song();
    SoundSample* cached_sample(std::u16string_view name);
    int scaled_music_volume() const;

    std::unique_ptr<SoundBackend> backend_;
    MusicSong* song_ = nullptr;
    std::vector<CacheEntry> samples_;
    bool open_ = false;
    int sound_volume_ = kMaxVolume;
    int music_volume_ = kMaxVolume;
    int quality_ = 0;
    std::optional<std::u16string> music_name_;
    int music_base_volume_ = 0;
};

// The one instance; created by the game's start-up.
extern SoundManager* g_sound_manager;
