// A program on a headless platform whose fatal reports are shown as message
// boxes the test reads, and whose end throws (see program_end.h).
#pragma once

#include <string_view>

#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform.h"
#include "tests/support/program_end.h"

// A headless platform with its state folder, on which ending the program
// throws. Everything is put back when it goes: the exit hook, the platform
// and the state folder.
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
    }
    FatalReportHost(const FatalReportHost&) = delete;
    FatalReportHost& operator=(const FatalReportHost&) = delete;

    HeadlessPlatform& platform() { return host_; }
    const auto& message_boxes() const { return host_.message_boxes(); }

private:
    HeadlessPlatform host_;
};
