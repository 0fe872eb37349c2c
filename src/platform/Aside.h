#pragma once
// Threads that read ahead while the main thread starts the program, kept off
// the processor the main thread is running on.
//
// A new thread is first placed where the thread that made it runs, and the
// scheduler may leave the two sharing that processor for a whole time slice
// (several milliseconds) before it moves one: the main thread, whose work is
// what the user waits for, would then stop at random points of the start.
// Where the process may use other processors, the new thread is given those
// only; where it may not (a single processor), it runs as any thread does.
#include <thread>
#include <utility>

namespace platform {

// The processor the calling thread runs on, or -1 when it cannot be told.
int CurrentProcessor();

// Restricts the calling thread to the processors the process may use other
// than `processor`; does nothing when `processor` is -1 or no other is allowed.
// True when the restriction was made.
bool KeepOffProcessor(int processor);

// Starts `work` on a new thread kept off the processor of the calling thread.
template <class Work>
std::thread StartAside(Work &&work)
{
    return std::thread([processor = CurrentProcessor(), work = std::forward<Work>(work)]() mutable {
        KeepOffProcessor(processor);
        work();
    });
}

} // namespace platform
