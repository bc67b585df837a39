#include "game/screens/shell_requests.h"

#include <cstdio>

#include "engine/core/shell.h"
#include "engine/platform/platform.h"

void quit_program() { request_quit(); }

void show_failure_notice(const std::string& text) {
    std::fprintf(stderr, "tarrowind: %s\n", text.c_str());
    if (has_platform()) platform().message_box(text, kWindowCaption, 0);
}
