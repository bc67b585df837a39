// The back end without a window or a device: a virtual clock that jumps
// straight to the next timer or scripted event (so runs are deterministic and
// as fast as the machine allows), input from scripts or from tests, message
// boxes recorded instead of shown, and the screen kept in memory.
#pragma once

#include <string>
#include <vector>

#include "engine/platform/platform.h"

class HeadlessPlatform : public Platform {
public:
    // The virtual clock starts at `start_tick` (by default well away from 0,
    // as on a device that has been running a while).
    explicit HeadlessPlatform(uint32_t start_tick = 0x00A00000);

    uint32_t tick_count() override { return now_; }
    // Advances the virtual clock; input due meanwhile waits in the queue.
    void sleep_ms(uint32_t ms) override { now_ += ms; }
    // An idle call costs one virtual millisecond.
    void idle_spin() override { now_ += 1; }

    struct RecordedBox {
        std::string text;
        std::string caption;
        uint32_t style;
    };
    int message_box(std::string_view text, std::string_view caption, uint32_t style) override;
    const std::vector<RecordedBox>& message_boxes() const { return boxes_; }

    // Nothing to bring forward; counted so that tests can see the request.
    void raise_window() override { ++raise_count_; }
    int raise_count() const { return raise_count_; }

    DisplaySink& display() override { return screen_; }
    const FrontBuffer& front_buffer() const override { return screen_; }

    // Test access to the user's side of the queue.
    using Platform::post_focus;
    using Platform::post_key;
    using Platform::post_pen;

protected:
    void poll_host_events() override {}
    // Nothing comes from outside: jump to the deadline. When nothing can
    // ever come, the user closes the window rather than wait forever.
    void wait_for_host_events(uint32_t ms) override;

private:
    uint32_t now_;
    std::vector<RecordedBox> boxes_;
    int raise_count_ = 0;
    FrontBuffer screen_;
};
