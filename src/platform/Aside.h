#pragma once
// Threads that read ahead while the main thread starts the program, kept off
// the processor the main thread is running on.
//
// A new thread is first placed where the thread that made it runs, and the
// scheduler may leave the two sharing that processor for a whole time slice
// (several milliseconds) before it moves one: the main thread, whose work is
// what the user waits for, would then stop at random points of the start.
// Where the process may use enough other processors, the new thread is given
// those only. Where it may not, it runs as any thread does: the few others
// would be crowded with all the threads that read ahead, the longest of which
// (the fonts) is what the main thread ends up waiting for.
#include <thread>
#include <utility>

namespace platform {

// The processors, other than the main thread's, that the threads reading ahead
// need to be kept off it: one each for the three of them.
inline constexpr int MinOtherProcessors = 3;

// The processor the calling thread runs on, or -1 when it cannot be told.
int CurrentProcessor();

// Restricts the calling thread to the processors it may use other than
// `processor`; does nothing when `processor` is -1 or is not one of them, or
// when fewer than MinOtherProcessors would be left. True when it was made.
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
