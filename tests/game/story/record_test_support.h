// Helpers for tests that write a record and read it back.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "game/story/archive.h"

// Writes `record` into a fresh in-memory archive and returns the bytes.
template <class T>
std::vector<uint8_t> written_bytes(const T& record) {
    Archive ar;
    ar.open_write_memory();
    record.write(ar);
    EXPECT_FALSE(ar.failed()) << ar.error();
    return ar.written();
}

// Reads a record of type T back from bytes; the whole input must be used.
template <class T>
void read_back(const std::vector<uint8_t>& bytes, T& out) {
    Archive ar;
    ASSERT_TRUE(ar.open_bytes(bytes));
    out.read(ar);
    EXPECT_FALSE(ar.failed()) << ar.error();
    EXPECT_TRUE(ar.at_end());
}

template <class T>
T round_trip(const T& record) {
    T out;
    read_back(written_bytes(record), out);
    return out;
}
