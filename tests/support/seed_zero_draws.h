// The game's generators (the story's, the runtime's and a fight's) step
// alike: seed x 214013 + 2531011, giving bits 16 to 30. From seed 0 the
// first draws are these, whichever generator takes them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

inline constexpr std::array<int64_t, 5> kSeedZeroDraws = {38, 7719, 21238, 2437, 8855};

// Checks the next draws of a generator set to seed 0.
template <typename Draw>
void expect_seed_zero_draws(Draw&& draw) {
    for (const int64_t expected : kSeedZeroDraws) EXPECT_EQ(int64_t(draw()), expected);
}
