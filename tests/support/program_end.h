// Code under test may end the program: a fatal report, "Memory full!", a
// refused start. In tests the exit hook throws ProgramEnded instead, so the
// test learns the exit code and goes on.
#pragma once

#include <string_view>

#include "engine/core/program_end.h"

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
