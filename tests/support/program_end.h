// Code under test may end the program: a fatal report, "Memory full!", a
// refused start. In tests the exit hook throws ProgramEnded instead, so the
// test learns the exit code and goes on.
#pragma once

#include <string_view>

#include "engine/core/program_paths.h"
#include "engine/app/shell.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform.h"

struct ProgramEnded {
    int code;
};

inline void throw_on_program_end() {
    set_exit_hook([](int code) { throw ProgramEnded{code}; });
}

// The exit code the body ended the program with; -1 when it returned.
template <typename Body>
int exit_code_of(Body&& body) {
    try {
        body();
    } catch (const ProgramEnded& ended) {
        return ended.code;
    }
    return -1;
}

// A headless platform with its state folder, on which ending the program
// throws. Everything is put back when it goes: the exit hook, the platform,
// the state folder and the inactive flag a fatal report raises.
class FatalReportHost {
public:
    explicit FatalReportHost(std::u16string_view state_folder) {
        set_platform(&host_);
        set_state_folder(state_folder);
        throw_on_program_end();
    }
    ~FatalReportHost() {
        set_exit_hook(nullptr);
        set_platform(nullptr);
        set_state_folder(u"");
        g_inactive = 0;
    }
    FatalReportHost(const FatalReportHost&) = delete;
    FatalReportHost& operator=(const FatalReportHost&) = delete;

    HeadlessPlatform& platform() { return host_; }
    const auto& message_boxes() const { return host_.message_boxes(); }

private:
    HeadlessPlatform host_;
};
