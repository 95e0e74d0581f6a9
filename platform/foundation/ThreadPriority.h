// ThreadPriority: a thread made for work that may go unused (tidy's repair
// of a page, made in case its check finds damage) yields the processor to
// the work that is waited for. On Linux each thread has its own nice value,
// and the processes a thread starts inherit it.
#pragma once

namespace brevanton {

// Raises the calling thread's nice value by `increment` (to 19 at most) for
// the rest of its life: without privilege it cannot be lowered again, so
// only a thread made for the work calls it, never a queue's worker.
void lowerCurrentThreadPriority(int increment);

} // namespace brevanton
