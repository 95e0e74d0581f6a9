// Benchmarks run with the C library's allocator set as the program sets it
// when it starts (main calls VornickTuneMemoryAllocation first thing): a
// figure taken with the allocator's defaults would time page faults the
// program never takes, as memory a parse frees at the top of the heap goes
// back to the system and returns as fresh pages for the next one.
#include "app/VornickApplicationLaunch.h"

namespace {

struct ProgramMemoryAllocation {
    ProgramMemoryAllocation() { brevanton::VornickTuneMemoryAllocation(); }
};

const ProgramMemoryAllocation programMemoryAllocation;

} // namespace
