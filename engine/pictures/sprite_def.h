// A picture with its frames, animations and default drawing settings, read
// from a ".spr" key file and shared by every sprite that shows it. Frames are
// stacked vertically in one bitmap: frame n is rows n * frame_height onward.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/pictures/bitmap.h"

// One named animation: frames named by letters ("A" is frame 0), played
// once through start, repeated through loop, and once through end before
// the next animation takes over. Empty letters mean the part is absent.
struct AnimationRecord {
    std::string name;
    int32_t delay = 1;  // animate calls each frame is held beyond the first
    std::string start, loop, end;
};

class SpriteDef : public PoolObject {
public:
    SpriteDef() = default;
    SpriteDef(const SpriteDef&) = delete;
    SpriteDef& operator=(const SpriteDef&) = delete;
    // Releases the bitmap to the bitmap cache.
    ~SpriteDef();

    Bitmap* bitmap = nullptr;  // one use of it counted in g_bitmap_cache
    std::vector<AnimationRecord> animations;
    int32_t frame_height = 0;  // 0: the whole bitmap is one frame
    uint8_t default_alpha = 32;
    uint32_t default_flags = 0;
    int32_t default_rotation = 0;  // 16.16 degrees
    int32_t default_zoom = 1024;
    int32_t default_phase = 0;  // -1: a random frame

    // Reads a ".spr" document (the whole file, zero-terminated after its
    // end). Its bitmap is required when picture_must_exist is set (the fatal
    // report for a missing or damaged one); null with a reason when the text
    // names none or the bitmap cannot be had.
    static SpriteDef* parse(std::u16string_view file_name, std::string_view text, int picture_must_exist,
                            std::string& error);

    // The same frames, defaults and animations over the same bitmap, which
    // the copy holds a use of its own.
    SpriteDef* copy() const;

    // Frames in the bitmap: at least 1.
    int32_t frame_count() const;
    // Index of the animation named so (ignoring case), or -1.
    int32_t find_animation(std::string_view name) const;
};

// The names ".spr" files may use for flag values.
int32_t sprite_flag_value(std::string_view name);
