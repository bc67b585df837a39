#include "engine/core/program_end.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
NoticeHook g_notice_hook = nullptr;
FatalReportHook g_fatal_report_hook = nullptr;
ExitHook g_exit_hook;
}  // namespace

void set_notice_hook(NoticeHook hook) { g_notice_hook = hook; }

bool show_notice(std::string_view text, std::string_view caption, NoticeStyle style) {
    return g_notice_hook && g_notice_hook(text, caption, style);
}

void set_fatal_report_hook(FatalReportHook hook) { g_fatal_report_hook = hook; }

void notify_fatal_report() {
    if (g_fatal_report_hook) g_fatal_report_hook();
}

void set_exit_hook(ExitHook hook) { g_exit_hook = std::move(hook); }

void exit_program(int code) {
    if (g_exit_hook) g_exit_hook(code);
    std::fflush(nullptr);
    std::exit(code);
}
