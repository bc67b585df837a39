// Helpers for the song tests: modules built by the XM writer, loaded from
// memory into a library running in the non-real-time mode.
#pragma once

#include <vector>

#include "sound/music/music_song.h"
#include "sound/music/xm_effects.h"
#include "tests/sound/sound_test_support.h"
#include "tools/xm_tools/xm_writer.h"

namespace xm_test {

// Pattern cells with an effect and no note, written with the effect's name.
inline xm::Cell effect(XmEffect e, uint8_t param) { return {0, 0, 0, uint8_t(e), param}; }
// The parameter of the extended effect (E): the sub-effect in the high nibble.
constexpr uint8_t extended_param(XmExtendedEffect e, int value) { return uint8_t(e << 4 | value); }
inline xm::Cell extended_effect(XmExtendedEffect e, int value) { return effect(kFxExtended, extended_param(e, value)); }

constexpr uint32_t kGameMode = SONG_MODE_MEMORY | SONG_MODE_LOOP;
constexpr uint32_t kOnceMode = SONG_MODE_MEMORY | SONG_MODE_NO_LOOP;

inline MusicSong* load(const std::vector<uint8_t>& bytes, uint32_t mode = kGameMode) {
    return music_load_song_ex(bytes.data(), 0, int(bytes.size()), mode, nullptr, 0);
}

inline MusicSong* load(const xm::Module& m, uint32_t mode = kGameMode) { return load(xm::write(m), mode); }

// A module of one instrument (a looping square) and `patterns` blank patterns
// of `rows` rows.
inline xm::Module basic_module(int channels = 2, int patterns = 1, int rows = 8) {
    xm::Module m;
    m.channels = channels;
    m.orders.clear();
    for (int i = 0; i < patterns; ++i) {
        xm::Pattern p;
        p.rows = rows;
        p.at(0, 0, channels);
        m.patterns.push_back(p);
        m.orders.push_back(uint8_t(i));
    }
    m.instruments.push_back(xm::simple_instrument(xm::square_sample()));
    return m;
}

struct Position {
    int order, row, tick;
    bool operator==(const Position&) const = default;
};

// Steps the song by hand (the output only mixes on sound_update) and records
// the position each row is played at.
inline std::vector<Position> row_trace(MusicSong* song, int ticks) {
    std::vector<Position> out;
    for (int i = 0; i < ticks && song->playing; ++i) {
        const bool row_tick = song->tick == 0;
        xm_update_song(song);
        // The row just read stays current until the next row tick.
        if (row_tick && song->playing) out.push_back({song->order, song->row, 0});
    }
    return out;
}

}  // namespace xm_test
