// The XM reader: fills a song from a whole module in memory. The music
// player calls it when a song is opened; everything it reads is checked
// against the bytes present.
#pragma once

#include <cstddef>
#include <cstdint>

struct MusicSong;

// Returns 1, or 0 with the last error set (10 format, 11 corrupt/short,
// 12 memory).
int xm_load(MusicSong* song, const uint8_t* data, size_t size);
