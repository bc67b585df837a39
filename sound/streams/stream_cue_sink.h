// Turns a WAV file's cue points and labels into a stream's sync points.
#pragma once

#include <cstdint>

#include "sound/formats/wav_reader.h"

struct SoundStream;

class StreamCueSink : public WavCueSink {
public:
    explicit StreamCueSink(SoundStream* stream) : stream_(stream) {}
    void clear() override;
    void add(uint32_t cue_id, uint32_t sample_offset) override;
    void set_name(uint32_t cue_id, int first, const char* name) override;
    void free_all() override;

private:
    SoundStream* stream_;
};

void stream_free_syncpoints(SoundStream* stream);
// Moves the sync cursor to the first point at or after `frame`.
void stream_sync_cursor_to(SoundStream* stream, int64_t frame);
