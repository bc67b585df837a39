#include "engine/core/program_names.h"

#include <utility>

namespace {

// Made on first use, so that a name asked for while the program's statics
// are made is never an unmade string.
ProgramNames& names() {
    static ProgramNames current{"Nimbrel", "nimbrel", "nimbrel.lock"};
    return current;
}

}  // namespace

void set_program_names(ProgramNames given) { names() = std::move(given); }

const ProgramNames& program_names() { return names(); }
