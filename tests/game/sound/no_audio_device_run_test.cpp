// The program itself on a host whose audio cannot be opened: it starts, runs
// and ends as usual, silently, and says so in one line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/run_command.h"
#include "tests/support/scratch_folder.h"

namespace {

const std::string kProgram = NIMBREL_BINARY_DIR "/tarrowind";
const std::string kNoSound = "tarrowind: no audio output, continuing without sound\n";

TEST(NoAudioDeviceRun, TheGameRunsOnWithoutSoundAndSaysSoOnce) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "the program is not built";
    struct Case {
        const char* audio_driver;  // SDL's
        std::string said;
    };
    const Case cases[] = {
        {"no-such-audio-driver", kNoSound},
        {"dummy", ""},  // a device that opens: nothing to say
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.audio_driver);
        const std::string state = make_scratch_folder("no_audio_device");
        std::string output;
        const int status = run_command(std::string("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=") + c.audio_driver + " " +
                                           kProgram + " --state " + state + " --run-ms 1500",
                                       output);
        EXPECT_EQ(status, 0) << output;
        EXPECT_EQ(output, c.said);
        std::filesystem::remove_all(state);
    }
}

}  // namespace
