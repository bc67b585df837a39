#include "sound/formats/wav_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/core/byte_order.h"
#include "sound/files/sound_file.h"
#include "sound/formats/adpcm.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"

namespace {

constexpr int kSmplBytes = 60;
constexpr int kSmplLoopStart = 44;
constexpr int kSmplLoopEnd = 48;
constexpr int kCuePointBytes = 24;
constexpr int kMaxLabelChars = 255;
constexpr int kAdpcmFixedBlockSamples = 64;
constexpr int kAdpcmFixedBlockBytes = 36;

bool is_id(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

bool read_exact(SoundFile* file, void* out, int bytes) {
    return sound_file_read(out, 1, bytes, file) == bytes;
}

bool read_u32(SoundFile* file, uint32_t& value) {
    uint8_t bytes[4];
    if (!read_exact(file, bytes, 4)) return false;
    value = read_u32le(bytes);
    return true;
}

// Reads the "fmt " chunk whole into a zero-filled copy of at least 40 bytes,
// so fields a short chunk leaves out read as zero. Bytes the file does not
// hold stay zero as well.
bool read_format_copy(SoundFile* file, int64_t size, WavChunks& chunks) {
    int64_t available = std::max<int64_t>(0, int64_t(file->length) - sound_file_tell(file) - file->start_offset);
    int64_t bytes = std::min(size, available);
    int64_t allocation = std::max<int64_t>(bytes, WAV_FORMAT_COPY_MIN_BYTES);
    auto* copy = static_cast<uint8_t*>(sound_mem_calloc(nullptr, size_t(allocation), __FILE__, __LINE__));
    if (!copy) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return false;
    }
    if (bytes > 0) sound_file_read(copy, 1, int(bytes), file);
    sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);
    chunks.format_copy = copy;
    chunks.format_bytes = int(allocation);
    return true;
}

void read_cue_points(SoundFile* file, WavCueSink* stream, uint32_t& cue_count) {
    if (!read_u32(file, cue_count) || cue_count == 0) return;
    stream->clear();
    for (uint32_t i = 0; i < cue_count; ++i) {
        uint8_t cue[kCuePointBytes];
        if (!read_exact(file, cue, kCuePointBytes)) break;
        stream->add(read_u32le(cue), read_u32le(cue + 20));
    }
}

// "LIST" "adtl": names sync points from their "labl" sub-chunks.
void read_labels(SoundFile* file, int64_t list_size, WavCueSink* stream, uint32_t cue_count) {
    int64_t base = sound_file_tell(file);
    int64_t offset = 0;
    while (offset + 4 < list_size) {
        if (sound_file_seek(file, int(base + offset), 0) < 0) return;
        uint8_t header[8];
        if (!read_exact(file, header, 8)) return;
        int64_t size = read_i32le(header + 4);
        if (size < 0) return;
        if (is_id(header, "labl") && size >= 4) {
            uint32_t cue_id;
            if (!read_u32(file, cue_id)) return;
            char name[kMaxLabelChars + 1] = {};
            int text = int(std::min<int64_t>(size - 4, kMaxLabelChars));
            int got = sound_file_read(name, 1, text, file);
            name[std::clamp(got, 0, kMaxLabelChars)] = 0;
            stream->set_name(cue_id, int(std::min<uint32_t>(cue_count, INT32_MAX)), name);
        }
        offset += size + 8;
        if (offset & 1) ++offset;
    }
}

void read_chunk_body(SoundFile* file, const uint8_t* id, int64_t size, int64_t body, bool want_format,
                     WavChunks& chunks, WavCueSink* stream, uint32_t& cue_count, bool& failed) {
    if (is_id(id, "fmt ")) {
        if (want_format && !read_format_copy(file, size, chunks)) failed = true;
    } else if (is_id(id, "cue ")) {
        if (stream) read_cue_points(file, stream, cue_count);
    } else if (is_id(id, "fact")) {
        uint32_t samples;
        if (size >= 4 && read_u32(file, samples)) chunks.fact_samples = int(samples);
    } else if (is_id(id, "LIST")) {
        uint8_t type[4];
        if (stream && size >= 4 && read_exact(file, type, 4) && is_id(type, "adtl"))
            read_labels(file, size - 4, stream, cue_count);
    } else if (is_id(id, "smpl")) {
        uint8_t smpl[kSmplBytes];
        if (size >= kSmplBytes && read_exact(file, smpl, kSmplBytes)) {
            chunks.loop.start = read_i32le(smpl + kSmplLoopStart);
            chunks.loop.end = read_i32le(smpl + kSmplLoopEnd);
        }
    } else if (is_id(id, "data")) {
        if (chunks.data_offset == -1 && body <= INT32_MAX) {
            // A data chunk longer than the file gives what the file holds.
            int64_t held = std::max<int64_t>(0, int64_t(file->length) - file->start_offset - body);
            if (file->end_offset != -1) held = std::min<int64_t>(held, file->end_offset + 1 - file->start_offset - body);
            chunks.data_offset = int(body);
            chunks.data_length = int(std::clamp<int64_t>(std::min(size, held), 0, INT32_MAX));
        }
    }
}

}  // namespace

int wav_parse_chunks(SoundFile* file, WavChunks& chunks, bool want_format, WavCueSink* stream) {
    if (!file) return 0;
    int64_t start = sound_file_tell(file);
    uint8_t riff[12];
    if (!read_exact(file, riff, 12) || !is_id(riff, "RIFF")) {
        sound_set_error(SOUND_ERR_FORMAT);
        return 0;
    }
    int64_t riff_size = read_u32le(riff + 4);
    chunks.data_offset = -1;
    uint32_t cue_count = 0;
    bool failed = false;
    int64_t walk = start + 4;
    do {
        if (sound_file_seek(file, int(walk + 8), 0) < 0) break;
        uint8_t header[8];
        if (!read_exact(file, header, 8)) break;  // a short header ends the walk
        int64_t size = read_i32le(header + 4);
        if (size < 0) break;
        read_chunk_body(file, header, size, walk + 16, want_format, chunks, stream, cue_count, failed);
        if (failed) break;
        walk += size + 8 + (size & 1);
    } while (walk > 0 && walk < riff_size && walk + 8 <= INT32_MAX);

    if (failed || (want_format && !chunks.format_copy)) {
        if (!failed) sound_set_error(SOUND_ERR_FORMAT);
        sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);
        chunks.format_copy = nullptr;
        return 0;
    }
    if (chunks.data_offset == -1) {
        sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);
        chunks.format_copy = nullptr;
        chunks.data_offset = 0;
        sound_set_error(SOUND_ERR_FORMAT);
        return 0;
    }
    return 1;
}

AdpcmFormat wav_adpcm_format(const WavDecodeState* state) {
    AdpcmFormat format;
    if (!state || !state->adpcm_format) return format;
    const uint8_t* f = state->adpcm_format;
    format.tag = read_u16le(f);
    format.channels = read_u16le(f + 2);
    format.block_align = read_u16le(f + 12);
    format.samples_per_block = read_u16le(f + 18);
    return format;
}

namespace {

// The block geometry the decoders can serve without reading past a block.
bool adpcm_geometry_valid(int channels, int block_align, int samples_per_block) {
    if (block_align <= 0 || samples_per_block < 1) return false;
    if (samples_per_block == kAdpcmFixedBlockSamples && block_align != kAdpcmFixedBlockBytes * channels)
        return false;
    if (channels == 1) return samples_per_block <= adpcm_max_mono_samples_per_block(block_align);
    return adpcm_stereo_block_fits(block_align, samples_per_block);
}

uint32_t mode_for_format(uint32_t mode, int bits, int channels) {
    mode &= ~uint32_t(0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100);
    mode |= bits == 8 ? (0x8 | 0x80) : (0x10 | 0x100);
    mode |= channels == 1 ? 0x20 : 0x40;
    return mode;
}

int fail(int code, uint8_t* format_copy, WavCueSink* stream) {
    if (stream) stream->free_all();
    sound_mem_free(nullptr, format_copy, __FILE__, __LINE__);
    sound_set_error(code);
    return 0;
}

}  // namespace

int wav_open(SoundFile* file, WavInfo& info, WavCueSink* stream) {
    info.data_offset = -1;
    info.decode_state = nullptr;
    if (!file) return 0;
    sound_file_seek(file, 0, 0);
    WavChunks chunks;
    if (!wav_parse_chunks(file, chunks, true, stream)) return 0;
    const uint8_t* f = chunks.format_copy;
    int tag = read_u16le(f);
    if (tag == WAV_TAG_EXTENSIBLE) tag = f[24];
    int channels = read_u16le(f + 2);
    int rate = int(read_u32le(f + 4));
    int block_align = read_u16le(f + 12);
    int bits = read_u16le(f + 14);
    int samples_per_block = read_u16le(f + 18);

    if (tag != WAV_TAG_PCM && tag != WAV_TAG_IMA_ADPCM) return fail(SOUND_ERR_FORMAT, chunks.format_copy, stream);
    if (channels != 1 && channels != 2) return fail(SOUND_ERR_FORMAT, chunks.format_copy, stream);

    int64_t decoded = 0;
    uint8_t* adpcm_copy = nullptr;
    if (tag == WAV_TAG_PCM) {
        if (bits != 8 && bits != 16) return fail(SOUND_ERR_FORMAT, chunks.format_copy, stream);
        int frame_bytes = bits / 8 * channels;
        decoded = chunks.data_length - chunks.data_length % frame_bytes;
    } else {
        if (!adpcm_geometry_valid(channels, block_align, samples_per_block))
            return fail(SOUND_ERR_CORRUPT, chunks.format_copy, stream);
        decoded = int64_t(chunks.data_length / block_align) * samples_per_block * channels * 2;
        if (decoded > INT32_MAX) return fail(SOUND_ERR_CORRUPT, chunks.format_copy, stream);
        adpcm_copy = static_cast<uint8_t*>(sound_mem_alloc(nullptr, WAV_ADPCM_FORMAT_BYTES, __FILE__, __LINE__));
        if (!adpcm_copy) return fail(SOUND_ERR_NO_MEMORY, chunks.format_copy, stream);
        std::memcpy(adpcm_copy, f, WAV_ADPCM_FORMAT_BYTES);
        bits = 16;
    }
    sound_mem_free(nullptr, chunks.format_copy, __FILE__, __LINE__);

    auto* state = static_cast<WavDecodeState*>(sound_mem_calloc(nullptr, sizeof(WavDecodeState), __FILE__, __LINE__));
    if (!state) {
        sound_mem_free(nullptr, adpcm_copy, __FILE__, __LINE__);
        return fail(SOUND_ERR_NO_MEMORY, nullptr, stream);
    }
    state->adpcm_format = adpcm_copy;
    info.mode = mode_for_format(info.mode, bits, channels);
    info.rate = rate;
    info.channels = channels;
    info.data_length = chunks.data_length;
    info.decoded_length = int(decoded);
    info.block_align = block_align;
    info.data_offset = chunks.data_offset;
    info.loop = chunks.loop;
    info.decode_state = state;
    return 1;
}

void wav_free_decode_state(WavDecodeState* state) {
    if (!state) return;
    sound_mem_free(nullptr, state->adpcm_format, __FILE__, __LINE__);
    sound_mem_free(nullptr, state, __FILE__, __LINE__);
}

int wav_decode_adpcm(const WavDecodeState* state, const uint8_t* input, int byte_count,
                     int16_t* output, int* decoded_bytes) {
    if (decoded_bytes) *decoded_bytes = 0;
    AdpcmFormat format = wav_adpcm_format(state);
    if (format.tag != WAV_TAG_IMA_ADPCM && format.tag != WAV_TAG_IMA_ADPCM_ALT) return 1;
    if (!adpcm_geometry_valid(format.channels, format.block_align, format.samples_per_block) ||
        (format.channels != 1 && format.channels != 2))
        return 0;
    int blocks = byte_count / format.block_align;
    int ok = format.channels == 1
                 ? adpcm_decode_mono(input, output, blocks, format.block_align, format.samples_per_block, 1)
                 : adpcm_decode_stereo(input, output, blocks, format.block_align, format.samples_per_block);
    if (ok && decoded_bytes)
        *decoded_bytes = int(int64_t(blocks) * format.samples_per_block * format.channels * 2);
    return ok;
}

namespace {

// 16-bit sample data in the file is little-endian; the sample holds it in
// the host's order.
void little_endian_to_host(uint8_t* data, int bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        (void)data;
        (void)bytes;
    } else {
        for (int i = 0; i + 1 < bytes; i += 2) {
            int16_t value = read_i16le(data + i);
            std::memcpy(data + i, &value, 2);
        }
    }
}

}  // namespace

int wav_read_data(SoundFile* file, const WavInfo& info, uint8_t* out, uint32_t caller_mode) {
    if (sound_file_seek(file, info.data_offset, 0) < 0) {
        sound_set_error(SOUND_ERR_CORRUPT);
        return 0;
    }
    bool adpcm = info.decode_state && info.decode_state->adpcm_format;
    if (!adpcm || (caller_mode & 0x400000)) {
        int bytes = std::min(info.decoded_length, info.data_length);
        int got = bytes > 0 ? sound_file_read(out, 1, bytes, file) : 0;
        if (got < 0) got = 0;
        std::memset(out + got, 0, size_t(info.decoded_length - got));
        if (!adpcm && (info.mode & 0x10)) little_endian_to_host(out, got);
        return 1;
    }
    int whole_blocks = info.data_length - info.data_length % info.block_align;
    auto* compressed = static_cast<uint8_t*>(sound_mem_alloc(nullptr, size_t(std::max(whole_blocks, 1)), __FILE__, __LINE__));
    if (!compressed) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return 0;
    }
    int got = sound_file_read(compressed, 1, whole_blocks, file);
    if (got < whole_blocks) std::memset(compressed + std::max(got, 0), 0, size_t(whole_blocks - std::max(got, 0)));
    int decoded = 0;
    int ok = wav_decode_adpcm(info.decode_state, compressed, whole_blocks, reinterpret_cast<int16_t*>(out), &decoded);
    sound_mem_free(nullptr, compressed, __FILE__, __LINE__);
    if (!ok) {
        sound_set_error(SOUND_ERR_CORRUPT);
        return 0;
    }
    return 1;
}
