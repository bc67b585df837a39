// Gives the engine a test's own program names for as long as the object
// lives, and puts back the names it found, however the test ends.
#pragma once

#include <utility>

#include "engine/core/program_names.h"

class GivenProgramNames {
public:
    explicit GivenProgramNames(ProgramNames names) : found_(program_names()) { set_program_names(std::move(names)); }
    ~GivenProgramNames() { set_program_names(found_); }
    GivenProgramNames(const GivenProgramNames&) = delete;
    GivenProgramNames& operator=(const GivenProgramNames&) = delete;

private:
    ProgramNames found_;
};
