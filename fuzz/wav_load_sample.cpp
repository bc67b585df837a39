// Feeds arbitrary bytes to the WAV reader the way the game does (a sample
// loaded from a memory block), under several caller modes, and walks the
// chunks once more as a stream would, collecting cue points and labels.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

namespace {

struct CollectingCues : WavCueSink {
    std::vector<uint32_t> ids;
    std::vector<std::string> names;
    void clear() override {
        ids.clear();
        names.clear();
    }
    void add(uint32_t id, uint32_t) override {
        if (ids.size() < 4096) {
            ids.push_back(id);
            names.emplace_back();
        }
    }
    void set_name(uint32_t id, int first, const char* name) override {
        for (size_t i = 0; i < ids.size() && int(i) < first; ++i)
            if (ids[i] == id) names[i] = name;
    }
    void free_all() override { clear(); }
};

const uint32_t kModes[] = {
    0x8130,                        // the game's
    0x8000,                        // whatever the file says
    0x8008,                        // 16-bit data converted to 8-bit
    0x48130,                       // stereo converted to mono
    0x8131,                        // loop off kept
    0x18150,                       // raw 16-bit stereo
    0x418100,                      // raw IMA ADPCM blocks of 64
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sound_set_output(12);
    sound_init(22050, 4, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    uint32_t mode = kModes[data[size - 1] % (sizeof kModes / sizeof kModes[0])];
    sample_free(sample_load(kSampleUnmanaged, data, mode, 0, int(size)));

    SoundFile* file = sound_file_open(data, SOUND_FILE_MEMORY, int(size));
    if (!file) return 0;
    CollectingCues cues;
    WavChunks chunks;
    if (wav_parse_chunks(file, chunks, true, &cues)) sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);
    sound_file_close(file);
    return 0;
}
