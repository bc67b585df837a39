#include "engine/platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "engine/core/program_names.h"
#include "engine/platform/key_names.h"
#include "engine/platform/window_scale.h"

namespace {

// Device tick counts do not start at 0; this one starts about 3.5 days in.
constexpr uint64_t kTickOffsetMs = 300'000'000;

uint64_t monotonic_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1'000'000;
}

// The text goes to stderr as well: there may be no screen to show a box on
// (a bare X server without fonts, for one), and then the user learns that
// stderr is all there is.
void show_message_box(std::string_view text, std::string_view caption, uint32_t style, SDL_Window* owner) {
    const std::string t(text), c(caption);
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    const Uint32 flags = (style & kMessageBoxExclamation) ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, c.c_str(), t.c_str(), owner) != 0) {
        std::fprintf(stderr, "%s: the message above could not be shown in a box: %s\n",
                     program_names().program.c_str(), SDL_GetError());
    }
}

// What part of the first monitor windows may cover; empty when SDL cannot
// say.
Size usable_monitor_size() {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return {};
    return {usable.w, usable.h};
}

}  // namespace

void show_message_box_without_window(std::string_view text, std::string_view caption, uint32_t style) {
    show_message_box(text, caption, style, nullptr);
}

SdlPlatform::SdlPlatform(int scale) : scale_(scale), clock_offset_ms_(kTickOffsetMs) {
    screen_.owner = this;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error_ = std::string("cannot start SDL: ") + SDL_GetError();
        return;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    start_program_clock();
}

int SdlPlatform::window_scale() const {
    const Size usable = usable_monitor_size();
    const int scale = fit_window_scale(scale_, kScreenSize, usable);
    if (scale != scale_) {
        std::fprintf(stderr,
                     "%s: a window at scale %d (%dx%d) does not fit the screen's usable %dx%d; "
                     "scale %d instead\n",
                     program_names().program.c_str(), scale_, kScreenSize.width * scale_,
                     kScreenSize.height * scale_, usable.width, usable.height, scale);
    }
    return scale;
}

bool SdlPlatform::open_host_window() {
    if (renderer_) return true;  // a restart keeps the window it had
    if (!error_.empty()) return false;
    const int scale = window_scale();
    window_ = SDL_CreateWindow(program_names().caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kScreenSize.width * scale, kScreenSize.height * scale, 0);
    if (window_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) {
        std::fprintf(stderr, "%s: cannot open a window: %s\n", program_names().program.c_str(), SDL_GetError());
        if (window_) SDL_DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    SDL_RenderSetLogicalSize(renderer_, kScreenSize.width, kScreenSize.height);
    SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return true;
}

SdlPlatform::~SdlPlatform() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
}

uint32_t SdlPlatform::tick_count() { return uint32_t(monotonic_ms() + clock_offset_ms_); }

void SdlPlatform::sleep_ms(uint32_t ms) { SDL_Delay(ms); }

int SdlPlatform::message_box(std::string_view text, std::string_view caption, uint32_t style) {
    show_message_box(text, caption, style, window_);
    return kMessageBoxAnswerOk;
}

void SdlPlatform::raise_window() {
    // A minimised window is shown again before it is raised.
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlPlatform::poll_host_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event);
}

void SdlPlatform::wait_for_host_events(uint32_t ms) {
    if (ms == UINT32_MAX) {
        SDL_WaitEvent(nullptr);
    } else if (ms > 0) {
        SDL_WaitEventTimeout(nullptr, int(ms));
    }
}

void SdlPlatform::handle_event(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT: post_close(); break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: post_close(); break;
                case SDL_WINDOWEVENT_FOCUS_LOST: post_focus(false); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: post_focus(true); break;
                // What covered the window left its image there. The frame
                // as last presented goes back at once: a game that lost the
                // focus draws no new one. The Paint that follows redraws the
                // whole screen on the next frame.
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESTORED:
                    show_front_buffer();
                    post_message(MessageId::EraseBkgnd);
                    post_message(MessageId::Paint);
                    break;
                default: break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint32_t code = key_code_from_host_name(SDL_GetKeyName(event.key.keysym.sym));
            if (code) post_key(code, event.type == SDL_KEYDOWN);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) post_pen(MessageId::PenDown, event.button.x, event.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) post_pen(MessageId::PenUp, event.button.x, event.button.y);
            break;
        case SDL_MOUSEMOTION: post_pen(MessageId::PenMove, event.motion.x, event.motion.y); break;
        default: break;
    }
}

bool SdlPlatform::Screen::open(int width, int height) {
    if (!front.open(width, height) || !owner->renderer_) return false;
    if (owner->texture_) {
        int w = 0, h = 0;
        SDL_QueryTexture(owner->texture_, nullptr, nullptr, &w, &h);
        if (w == width && h == height) return true;
        SDL_DestroyTexture(owner->texture_);
    }
    owner->texture_ = SDL_CreateTexture(owner->renderer_, SDL_PIXELFORMAT_RGB565,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    return owner->texture_ != nullptr;
}

void SdlPlatform::Screen::present(const uint16_t* pixels, std::ptrdiff_t pitch_bytes,
                                  const std::vector<Rect>& rects, bool whole) {
    front.present(pixels, pitch_bytes, rects, whole);
    owner->show_front_buffer();
}

void SdlPlatform::show_front_buffer() {
    if (!texture_ || !screen_.front.is_open()) return;
    const FrontBuffer& front = screen_.front;
    SDL_UpdateTexture(texture_, nullptr, front.pixels(), front.width() * 2);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}
