// The sound facade over the real sound library, whose audio device refuses
// to open a number of times: the facade tries again, and after its last try
// plays on without sound and says so once.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "game/sound/sound_manager.h"
#include "sound/system/sound_system.h"
#include "tests/sound/refusing_audio_device.h"
#include "tests/sound/sound_settings_guard.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

using sound_test::RefusingAudioDevice;

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

TEST(SoundManagerDevice, ARefusingDeviceIsTriedUpTo20TimesThenTheGamePlaysOnSilently) {
    struct Case {
        const char* what;
        int refusals;
        bool listed;
        int tries, waits;
        int output;    // what the library plays on in the end
        int messages;  // lines saying the game goes on without sound
    };
    const Case cases[] = {
        {"busy three times", 3, true, 4, 3, OUTPUT_AUDIO_DEVICE, 0},
        {"busy for good", 25, true, 20, 19, OUTPUT_NOSOUND, 1},
        {"no device at all", 0, false, 1, 0, OUTPUT_NOSOUND, 1},
    };
    const std::vector<uint8_t> blip = wav_writer::pcm16(std::vector<int16_t>(2205, 4000), 1, 22050);
    sound_test::SoundSettingsGuard settings;  // the back end picks the output it starts on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RefusingAudioDevice device(c.refusals, SOUND_ERR_DEVICE_BUSY, c.listed);
        std::vector<uint32_t> waits;
        ::testing::internal::CaptureStderr();
        {
            SoundManager sound(make_library_sound_backend(false));
            sound.wait_ms = [&waits](uint32_t ms) { waits.push_back(ms); };
            sound.read_file = [&blip](std::u16string_view) { return std::optional(blip); };
            sound.configure(2, 256, 256);
            EXPECT_TRUE(sound.is_open());
            EXPECT_TRUE(sound_system().initialised);
            EXPECT_EQ(sound_get_output(), c.output);
            // Heard or not, the game's sounds play.
            EXPECT_GE(sound.play_sound(u"sfx/blip.wav", 256, -1, false), 0);
        }
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(device.opens_tried(), c.tries);
        EXPECT_EQ(waits, std::vector<uint32_t>(size_t(c.waits), 100u));
        EXPECT_EQ(occurrences(said, "continuing without sound"), c.messages) << said;
        EXPECT_EQ(occurrences(said, "\n"), c.messages) << said;
        EXPECT_FALSE(sound_system().initialised);
    }
}

}  // namespace
