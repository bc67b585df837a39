#include "game/sound/sound_manager.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"

SoundManager* g_sound_manager = nullptr;

namespace {

struct QualityMode {
    int mixer_type;
    int rate;
};
constexpr QualityMode kQualityModes[SoundManager::kQualityCount] = {
    {8, 11025}, {8, 22050}, {9, 22050}, {0, 22050}, {4, 44100}};
constexpr int kBufferMs = 75;
// An audio device that is there but busy gets this many tries, this far apart.
constexpr int kOpenAttempts = 20;
constexpr uint32_t kOpenRetryMs = 100;
constexpr int kLoopNormal = 2;

int clamp_quality(int q) { return std::clamp(q, 0, SoundManager::kQualityCount - 1); }
int clamp_volume(int v) { return std::clamp(v, 0, SoundManager::kMaxVolume); }

void sleep_on_this_thread(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

SoundManager::SoundManager(std::unique_ptr<SoundBackend> backend)
    : read_file(read_game_file), wait_ms(sleep_on_this_thread), backend_(std::move(backend)) {}

SoundManager::~SoundManager() { close_output(); }

void SoundManager::configure(int quality, int music_volume, int sound_volume) {
    quality = clamp_quality(quality);
    if (!open_) {
        quality_ = quality;
        music_volume_ = clamp_volume(music_volume);
        sound_volume_ = clamp_volume(sound_volume);
        update_output();
        return;
    }
    if (quality != quality_) {
        close_output();
        quality_ = quality;
        open_output();
    }
    set_music_volume(music_volume);
    sound_volume_ = clamp_volume(sound_volume);
    update_output();
}

void SoundManager::set_quality(int quality) {
    quality = clamp_quality(quality);
    if (quality == quality_) return;
    if (!open_) {
        quality_ = quality;
        return;
    }
    close_output();
    quality_ = quality;
    open_output();
}

void SoundManager::set_sound_volume(int volume) {
    sound_volume_ = clamp_volume(volume);
    update_output();
}

void SoundManager::set_music_volume(int volume) {
    music_volume_ = clamp_volume(volume);
    update_output();
    if (music_volume_ == 0) {
        free_song();
        return;
    }
    if (!open_) return;
    if (!song_ && music_name_) play_music(std::u16string(*music_name_), music_base_volume_);
    if (song_) backend_->set_song_volume(song_, scaled_music_volume());
}

int SoundManager::scaled_music_volume() const {
    return std::min(music_volume_ * music_base_volume_ / kMaxVolume, kMaxVolume);
}

void SoundManager::open_output() {
    const QualityMode& mode = kQualityModes[quality_];
    // Without any audio driver no attempt can succeed, so none waits.
    for (int attempt = 1; !backend_->open(mode.mixer_type, kBufferMs, mode.rate); ++attempt) {
        if (attempt == kOpenAttempts || !backend_->has_audio_driver()) {
            backend_->open_silent(mode.mixer_type, kBufferMs, mode.rate);
            break;
        }
        wait_ms(kOpenRetryMs);
    }
    // Marked open whatever the result: the library's calls then fail quietly.
    open_ = true;
    if (!song_ && music_name_ && music_volume_ != 0) play_music(std::u16string(*music_name_), music_base_volume_);
}

void SoundManager::close_output() {
    if (!open_) return;
    open_ = false;
    free_song();
    flush_samples();
    backend_->close();
}

void SoundManager::update_output() {
    if (!open_ && (sound_volume_ != 0 || music_volume_ != 0)) open_output();
    else if (open_ && sound_volume_ == 0 && music_volume_ == 0) close_output();
}

void SoundManager::free_song() {
    if (!song_) return;
    backend_->stop_all_songs();
    backend_->free_song(song_);
    song_ = nullptr;  // never keep the handle of a freed song
}

void SoundManager::flush_samples() {
    for (CacheEntry& entry : samples_)
        if (entry.sample) backend_->free_sample(entry.sample);
    samples_.clear();
}

SoundSample* SoundManager::cached_sample(std::u16string_view name) {
    for (const CacheEntry& entry : samples_)
        if (equals_ignore_case(entry.name, name)) return entry.sample;
    SoundSample* sample = nullptr;
    if (auto bytes = read_file(name)) sample = backend_->load_sample(bytes->data(), int32_t(bytes->size()));
    // A missing file is remembered too, so it is not looked for again.
    samples_.push_back({std::u16string(name), sample});
    return sample;
}

int SoundManager::play_sound(std::u16string_view name, int volume, int channel, bool loop) {
    if (!open_) return -1;
    const int scaled = std::min(sound_volume_ * clamp_volume(volume) / kMaxVolume, kMaxVolume);
    if (scaled == 0) return -1;
    SoundSample* sample = cached_sample(name);
    if (!sample) return -1;
    const int handle = backend_->play_paused(channel, sample);
    if (handle < 0) return handle;
    if (loop) backend_->set_loop_mode(handle, kLoopNormal);
    backend_->set_volume(handle, scaled);
    backend_->set_paused(handle, false);
    return handle;
}

void SoundManager::stop_channel(int channel) { backend_->stop_channel(channel); }

void SoundManager::play_music(std::u16string_view name, int base_volume) {
    if (!open_) {
        free_song();
        return;
    }
    if (song_) {
        if (music_name_ && equals_ignore_case(*music_name_, name)) return;
        free_song();
    }
    music_name_ = std::u16string(name);
    auto bytes = read_file(name);
    if (bytes) song_ = backend_->load_song(bytes->data(), int32_t(bytes->size()));
    if (!song_) return;
    music_base_volume_ = clamp_volume(base_volume);
    const int type = backend_->song_type(song_);
    if (type != 4) backend_->set_song_volume(song_, scaled_music_volume());
    if (type == 1 || type == 2) backend_->set_pan_separation(song_, 0.85f);
    backend_->play_song(song_);
}

void SoundManager::play_music_narrow(std::string_view name, int base_volume) {
    play_music(narrow_to_wide(name), base_volume);
}

void SoundManager::stop_music() { free_song(); }

int SoundManager::set_music_order(int order) { return song_ ? backend_->set_song_order(song_, order) : 0; }

int SoundManager::music_pattern() { return open_ && song_ ? backend_->song_pattern(song_) : 0; }
