// How the base layer ends the program: it may show the user a notice first
// (a fatal report, "Memory full!") and then exits. The base knows no window
// system, so the notice goes through a hook that the layer owning the message
// box installs (the platform, when it becomes the program's platform), and the
// application learns of a fatal report through another hook, to stop its
// ticks. Unset hooks do nothing.
#pragma once

#include <functional>
#include <string_view>

enum class NoticeStyle { plain, warning };

// Shows a notice and waits for the user; false when it could not be shown.
// Plain function pointers, so a hook installed while the program starts up
// never meets an unconstructed hook.
using NoticeHook = bool (*)(std::string_view text, std::string_view caption, NoticeStyle style);
void set_notice_hook(NoticeHook hook);
// False when no hook is installed or the hook could not show it.
bool show_notice(std::string_view text, std::string_view caption, NoticeStyle style);

// Called as a fatal report is about to be shown.
using FatalReportHook = void (*)();
void set_fatal_report_hook(FatalReportHook hook);
void notify_fatal_report();

// Ends the program with the code. Tests replace the ending with a hook that
// must not return (it throws, for instance); the default flushes and exits.
[[noreturn]] void exit_program(int code);
using ExitHook = std::function<void(int code)>;
void set_exit_hook(ExitHook hook);
