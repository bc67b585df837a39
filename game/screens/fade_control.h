// The level of a full-screen fade (0 clear .. 32 dark) as the game's
// transitions step it. The fade layer drawable implements it; FadeCounter
// keeps just the number (tests, and scenes drawn without a fade layer).
#pragma once

#include <algorithm>

class FadeControl {
public:
    static constexpr int kDark = 32;
    virtual ~FadeControl() = default;
    virtual int level() const = 0;
    // Moves the level by `step`, kept within 0..32.
    virtual void add_level(int step) = 0;
};

class FadeCounter : public FadeControl {
public:
    explicit FadeCounter(int level = 0) : level_(std::clamp(level, 0, kDark)) {}
    int level() const override { return level_; }
    void add_level(int step) override { level_ = std::clamp(level_ + step, 0, kDark); }

private:
    int level_;
};
