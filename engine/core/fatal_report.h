// The ways the program ends when something is wrong: a missing required
// file, a broken invariant, and crashes. Reports go to "nimbrel_error.txt"
// (replaced each time) and "crash.txt" (appended) in the state folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/source_place.h"

std::u16string missing_file_report(std::u16string_view name);
// A null detail reads "<NULL>".
std::u16string assert_report(const char* file, int line, const char* message, const char* detail1,
                             const char* detail2);

// Write the report, stop the ticks, show it in a message box and end the
// program with code 1, so that whoever started it can tell it failed.
[[noreturn]] void fatal_missing_file(std::u16string_view name);
[[noreturn]] void fatal_assert(const char* file, int line, const char* message,
                               const char* detail1 = nullptr, const char* detail2 = nullptr);
// A required file that is there but cannot be used: the broken-invariant
// report with the file's name and the reader's reason, placed where the
// caller found the file broken.
[[noreturn]] void fatal_broken_file(std::u16string_view name, const std::string& reason,
                                    SourcePlace where = SourcePlace::here());
// `file` (a __FILE__) relative to the project's source folder.
const char* project_relative_source(const char* file);

// "At 0x%08x: Exception 0x%08x" (the address in full on a 64-bit host),
// appended to "\crash.txt". Returns 1.
int log_exception(uint32_t code, uint64_t address, const void* context);
// Appends the crash header (build "1.0", local date and time) and the empty
// profile and call-address sections to "\crash.txt".
void write_crash_report();
std::string crash_report_text(int day, int month, int year, int hour, int minute, int second);

// What the player is shown after a crash (a signal, or an exception caught
// by the message loop).
// The exit status of every failed end: a refused start, a missing or broken
// file, a crash, memory that ran out. A launcher or script sees the failure.
inline constexpr int kFailureExitCode = 1;

inline constexpr char kCrashMessage[] = "Exception occured.\nCallstack dumped to \\crash.txt";

// Where an unhandled exception was caught; the two sites word their message
// differently.
enum class CrashSite { window_procedure, message_loop };
// For catch (...) around dispatch: logs, shows the message and ends (code 0).
[[noreturn]] void report_unhandled_exception(CrashSite site);

// Exception codes in the platform's numbering.
constexpr uint32_t kExceptionAccessViolation = 0xC0000005;
constexpr uint32_t kExceptionIllegalInstruction = 0xC000001D;
constexpr uint32_t kExceptionFloatInvalid = 0xC0000090;
constexpr uint32_t kExceptionIntDivideByZero = 0xC0000094;
constexpr uint32_t kExceptionIntOverflow = 0xC0000095;
constexpr uint32_t kExceptionAbort = 0x40000015;
constexpr uint32_t kExceptionCpp = 0xE06D7363;
uint32_t exception_code_for_signal(int signal, int signal_code);

// Fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) write the crash
// report, then show kCrashMessage and end the program with code 0. A crashed
// process cannot be trusted to draw a box, so `message_command` (the program
// to run, then its arguments) is started in its place to show it; without
// one, or when it cannot start, the message goes to stderr. The report path
// and the command are fixed here: call again after the state folder changes.
void install_crash_handler(const std::vector<std::string>& message_command = {});
