#include "engine/core/fatal_report.h"

#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#include "engine/core/program_end.h"
#include "engine/core/program_names.h"
#include "engine/core/text_helpers.h"
#include "engine/files/atomic_file.h"
#include "engine/files/program_paths.h"

namespace {

constexpr char kBuildName[] = "1.0";
constexpr char kErrorFileName[] = "nimbrel_error.txt";

std::u16string widen(const char* text) { return narrow_to_wide(text ? text : "<NULL>"); }

std::string crash_file_path() { return utf16_to_utf8(resolve_path(u"\\crash.txt")); }

void append_to_file(const std::string& path, const std::string& text) {
    if (FILE* file = std::fopen(path.c_str(), "a")) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
}

[[noreturn]] void end_with_report(const std::u16string& text, int exit_code) {
    std::string utf8 = utf16_to_utf8(text);
    // Replaced, not appended: the file holds the last report only.
    std::string path = utf16_to_utf8(state_folder()) + kErrorFileName;
    write_file_atomically(path, utf8.data(), utf8.size());
    notify_fatal_report();
    show_notice(utf8, program_names().caption, NoticeStyle::warning);
    exit_program(exit_code);
}

// Formats into a fixed buffer without allocating, for the signal handler.
class FixedText {
public:
    void add(const char* text) {
        while (*text && length_ < sizeof buffer_ - 1) buffer_[length_++] = *text++;
        buffer_[length_] = 0;
    }
    void add_number(int64_t value) {
        char digits[24];
        int n = 0;
        uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
        do digits[n++] = char('0' + magnitude % 10);
        while (magnitude /= 10);
        if (value < 0) add("-");
        char out[2] = {0, 0};
        while (n) {
            out[0] = digits[--n];
            add(out);
        }
    }
    // At least eight hex digits, more when the value needs them.
    void add_hex(uint64_t value) {
        char digits[17];
        int n = 0;
        do digits[n++] = "0123456789abcdef"[value & 15];
        while (value >>= 4);
        while (n < 8) digits[n++] = '0';
        char out[2] = {0, 0};
        while (n) {
            out[0] = digits[--n];
            add(out);
        }
    }
    const char* text() const { return buffer_; }
    size_t length() const { return length_; }

private:
    char buffer_[512] = {};
    size_t length_ = 0;
};

void format_exception_line(FixedText& out, uint32_t code, uint64_t address) {
    out.add("At 0x");
    out.add_hex(address);
    out.add(": Exception 0x");
    out.add_hex(code);
    out.add("\n");
}

void format_crash_report(FixedText& out, int day, int month, int year, int hour, int minute, int second) {
    out.add("\nBuild '");
    out.add(kBuildName);
    out.add("' crashed at: ");
    for (int value : {day, month, year}) {
        out.add_number(value);
        out.add(".");
    }
    out.add(" ");
    out.add_number(hour);
    out.add(":");
    out.add_number(minute);
    out.add(":");
    out.add_number(second);
    out.add("\n\nProfile stack:\n-- Unavailable --\n\ncall addresses\n-- Unavailable --\n"
            "\n------------------------------------------------------\n");
}

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void civil_from_days(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t day_of_era = days - era * 146097;
    int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int64_t mp = (5 * day_of_year + 2) / 153;
    day = int(day_of_year - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(year_of_era + era * 400 + (month <= 2));
}

// --- Signal handler state, prepared before any crash -----------------------

char g_crash_path[4096];
long g_utc_offset_seconds = 0;

// The command that shows the crash message, as execve takes it.
constexpr size_t kMaxMessageCommandParts = 4;
char g_message_command_text[kMaxMessageCommandParts][4096];
char* g_message_command[kMaxMessageCommandParts + 1];

uint64_t faulting_pc(void* context) {
    auto* uc = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    return uint64_t(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return uint64_t(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

void write_all(int fd, const char* text, size_t length) {
    while (length > 0) {
        ssize_t n = ::write(fd, text, length);
        if (n <= 0) return;
        text += n;
        length -= size_t(n);
    }
}

void on_fatal_signal(int signal, siginfo_t* info, void* context) {
    FixedText line;
    format_exception_line(line, exception_code_for_signal(signal, info ? info->si_code : 0),
                          faulting_pc(context));
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    int64_t local = int64_t(now.tv_sec) + g_utc_offset_seconds;
    int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    int64_t seconds = local - days * 86400;
    int year, month, day;
    civil_from_days(days, year, month, day);
    FixedText report;
    format_crash_report(report, day, month, year, int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));

    int fd = ::open(g_crash_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        write_all(fd, line.text(), line.length());
        write_all(fd, report.text(), report.length());
        ::close(fd);
    }
    if (g_message_command[0]) execve(g_message_command[0], g_message_command, environ);
    write_all(STDERR_FILENO, kCrashMessage, sizeof kCrashMessage - 1);
    write_all(STDERR_FILENO, "\n", 1);
    _exit(kFailureExitCode);
}

// Copies the command where the signal handler can take it without
// allocating; a command that does not fit is left out.
void keep_message_command(const std::vector<std::string>& command) {
    std::fill(std::begin(g_message_command), std::end(g_message_command), nullptr);
    if (command.size() > kMaxMessageCommandParts) return;
    for (const std::string& part : command)
        if (part.size() >= sizeof g_message_command_text[0]) return;
    for (size_t i = 0; i < command.size(); ++i) {
        std::memcpy(g_message_command_text[i], command[i].c_str(), command[i].size() + 1);
        g_message_command[i] = g_message_command_text[i];
    }
}

}  // namespace

std::u16string missing_file_report(std::u16string_view name) {
    return u"Failed to open file:\n" + std::u16string(name) + u"\nexiting application.";
}

// __FILE__ is what the build handed the compiler: an absolute path under the
// source folder, or one relative to the build folder ("../engine/..."). A
// header found through a layer's include root (the build's view of the
// folders that layer may use, "include_roots/LAYER/engine/...") is named by
// its place in the source too.
const char* project_relative_source(const char* file) {
    if (!file) return file;
    constexpr char kIncludeRoots[] = "include_roots/";
    if (const char* roots = std::strstr(file, kIncludeRoots))
        if (const char* layer_end = std::strchr(roots + sizeof kIncludeRoots - 1, '/')) return layer_end + 1;
#ifdef NIMBREL_SOURCE_ROOT
    const size_t root = std::strlen(NIMBREL_SOURCE_ROOT);
    if (std::strncmp(file, NIMBREL_SOURCE_ROOT, root) == 0) return file + root;
#endif
    while (std::strncmp(file, "../", 3) == 0 || std::strncmp(file, "./", 2) == 0) file += file[1] == '.' ? 3 : 2;
    return file;
}

std::u16string assert_report(const char* file, int line, const char* message, const char* detail1,
                             const char* detail2) {
    std::u16string text = u"In " + widen(project_relative_source(file)) + u":";
    append_decimal(text, line);
    text += u"\n\n" + widen(message) + u"\n" + widen(detail1) + u"\n" + widen(detail2) +
            u"\n\nexiting application.";
    return text;
}

void fatal_missing_file(std::u16string_view name) { end_with_report(missing_file_report(name), kFailureExitCode); }

void fatal_assert(const char* file, int line, const char* message, const char* detail1,
                  const char* detail2) {
    end_with_report(assert_report(file, line, message, detail1, detail2), kFailureExitCode);
}

void fatal_broken_file(std::u16string_view name, const std::string& reason, SourcePlace where) {
    const std::string file = utf16_to_utf8(name);
    fatal_assert(where.file, where.line, "A required file cannot be used:", file.c_str(), reason.c_str());
}

int log_exception(uint32_t code, uint64_t address, const void*) {
    FixedText line;
    format_exception_line(line, code, address);
    append_to_file(crash_file_path(), line.text());
    return 1;
}

std::string crash_report_text(int day, int month, int year, int hour, int minute, int second) {
    FixedText report;
    format_crash_report(report, day, month, year, hour, minute, second);
    return report.text();
}

void write_crash_report() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    append_to_file(crash_file_path(), crash_report_text(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900,
                                                        local.tm_hour, local.tm_min, local.tm_sec));
}

void report_unhandled_exception(CrashSite site) {
    log_exception(kExceptionCpp, 0, nullptr);
    write_crash_report();
    const char* text =
        site == CrashSite::window_procedure ? "Exception occured\nCallstack dumped to \\crash.txt" : kCrashMessage;
    show_notice(text, program_names().caption, NoticeStyle::warning);
    exit_program(kFailureExitCode);
}

uint32_t exception_code_for_signal(int signal, int signal_code) {
    switch (signal) {
        case SIGSEGV:
        case SIGBUS: return kExceptionAccessViolation;
        case SIGILL: return kExceptionIllegalInstruction;
        case SIGABRT: return kExceptionAbort;
        case SIGFPE:
            if (signal_code == FPE_INTDIV) return kExceptionIntDivideByZero;
            if (signal_code == FPE_INTOVF) return kExceptionIntOverflow;
            return kExceptionFloatInvalid;
        default: return 0;
    }
}

void install_crash_handler(const std::vector<std::string>& message_command) {
    std::string path = crash_file_path();
    std::snprintf(g_crash_path, sizeof g_crash_path, "%s", path.c_str());
    keep_message_command(message_command);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_utc_offset_seconds = local.tm_gmtoff;

    struct sigaction action {};
    action.sa_sigaction = on_fatal_signal;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(signal, &action, nullptr);
}
