#include "engine/platform/headless/headless_platform.h"

#include <cstdio>

HeadlessPlatform::HeadlessPlatform(uint32_t start_tick) : now_(start_tick) {
    start_program_clock();
}

int HeadlessPlatform::message_box(std::string_view text, std::string_view caption, uint32_t style) {
    boxes_.push_back(RecordedBox{std::string(text), std::string(caption), style});
    std::fprintf(stderr, "[%.*s] %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
    return kMessageBoxAnswerOk;
}

void HeadlessPlatform::wait_for_host_events(uint32_t ms) {
    if (ms == UINT32_MAX) {
        post_close();
        return;
    }
    now_ += ms;
}
