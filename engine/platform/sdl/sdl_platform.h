// The back end with a real SDL2 window: the 240x320 screen at an integer
// scale, the keyboard's keys as device keys, the mouse as the stylus, the
// window's close button, and the host's monotonic clock.
#pragma once

#include <string>
#include <string_view>

#include "engine/platform/platform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

class SdlPlatform : public Platform {
public:
    // Starts SDL; check ok() (and error()) before use. The window opens
    // when the shell creates its window, at `scale` or at the largest scale
    // the monitor has room for.
    explicit SdlPlatform(int scale);
    ~SdlPlatform() override;

    bool ok() const { return error_.empty(); }
    // Null until the shell created its window.
    SDL_Window* window() const { return window_; }
    const std::string& error() const { return error_; }

    uint32_t tick_count() override;
    void sleep_ms(uint32_t ms) override;
    int message_box(std::string_view text, std::string_view caption, uint32_t style) override;
    void raise_window() override;
    DisplaySink& display() override { return screen_; }
    const FrontBuffer& front_buffer() const override { return screen_.front; }

protected:
    bool open_host_window() override;
    void poll_host_events() override;
    void wait_for_host_events(uint32_t ms) override;

private:
    // Keeps the screen in memory and shows it in the window's texture.
    struct Screen : DisplaySink {
        SdlPlatform* owner = nullptr;
        FrontBuffer front;
        bool open(int width, int height) override;
        void present(const uint16_t* pixels, std::ptrdiff_t pitch_bytes,
                     const std::vector<Rect>& rects, bool whole) override;
    };
    void show_front_buffer();
    void handle_event(const union SDL_Event& event);

    // The window at the scale the monitor has room for; the reason on
    // stderr when it is smaller than asked.
    int window_scale() const;

    int scale_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    Screen screen_;
    std::string error_;
    uint64_t clock_offset_ms_;
};

// A box of its own, for a process that has no window (the one that shows
// the crash message in place of the crashed game); also written to stderr,
// with a line more when no box can be shown.
void show_message_box_without_window(std::string_view text, std::string_view caption, uint32_t style);
