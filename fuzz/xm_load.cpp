// Feeds arbitrary bytes to the XM reader as the game does (a song from a
// memory block) and plays a few rows of whatever loads.
#include <cstddef>
#include <cstdint>

#include "sound/music/music_song.h"
#include "sound/system/sound_system.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sound_set_output(12);
    sound_init(22050, 16, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    MusicSong* song = music_load_song_ex(data, 0, int(size), SONG_MODE_MEMORY | SONG_MODE_LOOP, nullptr, 0);
    if (!song) return 0;
    music_play_song(song);
    for (int tick = 0; tick < 256 && song->playing; ++tick) xm_update_song(song);
    music_free_song(song);
    return 0;
}
