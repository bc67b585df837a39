// Builds a sample from an open WAV file: the sample is created at the file's
// rate and format, its whole data is locked and filled (PCM as stored, IMA
// ADPCM decoded to 16 bits), 8-bit data is made signed, and a "smpl" loop
// becomes the sample's loop.
#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"

namespace {

struct LockedPieces {
    void* first = nullptr;
    void* second = nullptr;
    int first_length = 0;
    int second_length = 0;
};

// Fills the locked pieces with the file's data. When the first piece holds
// everything the data goes straight in; otherwise through a staging buffer.
bool fill_pieces(SoundFile* file, const WavInfo& info, const LockedPieces& pieces, uint32_t caller_mode) {
    int total = info.decoded_length;
    if (pieces.first && pieces.first_length >= total)
        return wav_read_data(file, info, static_cast<uint8_t*>(pieces.first), caller_mode);
    auto* staging = static_cast<uint8_t*>(sound_mem_alloc(nullptr, size_t(total), __FILE__, __LINE__));
    if (!staging) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return false;
    }
    bool ok = wav_read_data(file, info, staging, caller_mode);
    if (ok) {
        int first = pieces.first ? std::min(pieces.first_length, total) : 0;
        if (first > 0) std::memcpy(pieces.first, staging, size_t(first));
        int second = pieces.second ? std::min(pieces.second_length, total - first) : 0;
        if (second > 0) std::memcpy(pieces.second, staging + first, size_t(second));
    }
    sound_mem_free(nullptr, staging, __FILE__, __LINE__);
    return ok;
}

void make_signed_8bit(const LockedPieces& pieces) {
    auto flip = [](void* piece, int length) {
        auto* bytes = static_cast<uint8_t*>(piece);
        for (int i = 0; piece && i < length; ++i) bytes[i] = uint8_t(bytes[i] - 128);
    };
    flip(pieces.first, pieces.first_length);
    flip(pieces.second, pieces.second_length);
}

// A "smpl" loop becomes the sample's loop when its points are valid; an
// invalid one leaves the sample as it was (no loop).
void apply_loop(SoundSample* sample, const WavLoop& loop, uint32_t caller_mode) {
    if (loop.start == 0 && loop.end == 0) return;
    int error = sound_get_error();
    if (!sample_set_loop_points(sample, loop.start, loop.end)) {
        sound_set_error(error);  // a refused loop is no failure of the load
        return;
    }
    if (!(caller_mode & SAMPLE_LOOP_OFF)) sample_set_mode(sample, SAMPLE_LOOP_NORMAL);
}

SoundSample* fail_with_sample(SoundSample* sample, WavDecodeState* state, int code) {
    int error = code ? code : sound_get_error();
    if (sample) {
        sample->decode_state = nullptr;
        sample_free(sample);
    }
    wav_free_decode_state(state);
    sound_set_error(error);
    return nullptr;
}

}  // namespace

SoundSample* wav_load_sample(int index, SoundFile* file, uint32_t* mode) {
    if (!file || !mode) {
        sound_set_error(SOUND_ERR_PARAM);
        return nullptr;
    }
    uint32_t caller_mode = *mode;
    WavInfo info;
    info.mode = *mode;
    if (!wav_open(file, info, nullptr)) return nullptr;
    bool stereo = info.mode & SAMPLE_STEREO;
    bool sixteen = info.mode & SAMPLE_16BITS;
    int frames = info.decoded_length / (sixteen ? 2 : 1) / (stereo ? 2 : 1);
    if (frames < 1) return fail_with_sample(nullptr, info.decode_state, SOUND_ERR_CORRUPT);
    if (stereo && (info.mode & SAMPLE_FORCE_MONO)) info.mode &= ~uint32_t(SAMPLE_DRIVER);
    *mode = info.mode;

    SoundSample* sample = sample_create(index, frames, info.mode, info.rate, 255, stereo ? -1 : 128, 255);
    if (!sample) return fail_with_sample(nullptr, info.decode_state, 0);
    sample->loop_start = 0;
    sample->loop_length = frames;
    sample->decode_state = info.decode_state;
    info.decoded_length = frames * (sixteen ? 2 : 1) * (stereo ? 2 : 1);

    LockedPieces pieces;
    if (!sample_lock(sample, 0, info.decoded_length, &pieces.first, &pieces.first_length, &pieces.second,
                     &pieces.second_length))
        return fail_with_sample(sample, info.decode_state, 0);
    bool filled = fill_pieces(file, info, pieces, caller_mode);
    int fill_error = sound_get_error();  // the unlock below clears it
    if (filled && !sixteen) {
        make_signed_8bit(pieces);
        sample->mode = (sample->mode & ~uint32_t(SAMPLE_UNSIGNED)) | SAMPLE_SIGNED;
    }
    sample_unlock(sample, pieces.first, pieces.second, pieces.first_length, pieces.second_length);
    if (!filled) return fail_with_sample(sample, info.decode_state, fill_error);

    apply_loop(sample, info.loop, caller_mode);
    sample->decode_state = nullptr;
    wav_free_decode_state(info.decode_state);
    return sample;
}
