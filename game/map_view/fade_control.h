// The level of a full-screen fade (0 clear .. 32 dark) as the game's
// transitions step it: FadeLayerControl moves a fade layer drawn over the
// map; FadeCounter keeps just the number (tests of the transitions).
#pragma once

#include <algorithm>

#include "engine/graphics/fade_layer.h"

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

// A fade layer of the game's display list; without one (before the game
// scene built its layer) the level reads 0 and steps do nothing.
class FadeLayerControl : public FadeControl {
public:
    void attach(FadeLayer* layer) { layer_ = layer; }
    FadeLayer* layer() const { return layer_; }
    int level() const override { return layer_ ? layer_->level() : 0; }
    void add_level(int step) override {
        if (layer_) layer_->add_level(step);
    }
    void set_level(int level) {
        if (layer_) layer_->set_level(std::clamp(level, 0, kDark));
    }

private:
    FadeLayer* layer_ = nullptr;
};
