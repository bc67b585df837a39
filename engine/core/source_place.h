// A place in the program's source, for reports that name where a fault was
// found. As a default argument, `SourcePlace::here()` takes the place of the
// call that left the argument out (what std::source_location::current()
// does; the clang the fuzz build uses has no std::source_location yet).
#pragma once

struct SourcePlace {
    const char* file;
    int line;

    static constexpr SourcePlace here(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        return {file, line};
    }
};
