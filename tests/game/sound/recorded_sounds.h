// The game's sound facade on a recording sound library, in place of the
// started game's own for as long as it lives: the sounds a screen plays, by
// file name, for the tests of the screens' clicks.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/text_helpers.h"
#include "game/sound/sound_manager.h"
#include "tests/game/sound/recording_sound_backend.h"

class RecordedSounds {
public:
    RecordedSounds() : log_(std::make_shared<RecordingSoundBackend::Log>()) {
        sounds_ = std::make_unique<SoundManager>(std::make_unique<RecordingSoundBackend>(log_));
        // Every file holds a sample whose bytes name it.
        sounds_->read_file = [](std::u16string_view name) -> std::optional<std::vector<uint8_t>> {
            const std::string text = "S" + utf16_to_utf8(name);
            return std::vector<uint8_t>(text.begin(), text.end());
        };
        sounds_->configure(2, 256, 256);
        saved_ = g_sound_manager;
        g_sound_manager = sounds_.get();
    }
    ~RecordedSounds() { g_sound_manager = saved_; }
    RecordedSounds(const RecordedSounds&) = delete;
    RecordedSounds& operator=(const RecordedSounds&) = delete;

    // The sounds started since the last call, in order ("sfx\switchon.wav").
    std::vector<std::string> take() { return std::exchange(log_->played, {}); }

private:
    std::shared_ptr<RecordingSoundBackend::Log> log_;
    std::unique_ptr<SoundManager> sounds_;
    SoundManager* saved_ = nullptr;
};

// The click of the menus, the inventory, the shop and the map zoom.
inline const std::string kClick = "sfx\\switchon.wav";

// An input given to the current screen and the sounds it must play.
struct SoundStep {
    const char* what;
    std::function<void()> give;
    std::vector<std::string> sounds;
};

// Gives each step's input in turn and checks the sounds each played.
inline void expect_sounds(RecordedSounds& sounds, const std::vector<SoundStep>& steps) {
    sounds.take();
    for (const SoundStep& step : steps) {
        step.give();
        EXPECT_EQ(sounds.take(), step.sounds) << step.what;
    }
}
