#pragma once

#include <cstddef>
#include <functional>

namespace lumivex {

// Independent pieces of one synchronous job spread over the processors.
namespace ParallelWork {

// Calls work(i) for every i below `count` on up to QThread::idealThreadCount() threads, the
// caller's among them, and returns when every call has returned. Indexes are claimed in
// increasing order; once work(i) returns false, no index above i is claimed any more (those
// claimed already still run). `work` must not throw.
void forEach(std::size_t count, const std::function<bool(std::size_t)>& work);
// forEach for pieces that spend most of their time waiting for the disk to flush: on twice as
// many threads, since a thread that waits leaves its processor to the others.
void forEachWaiting(std::size_t count, const std::function<bool(std::size_t)>& work);

// Calls work() on a thread of its own and waits for it. Memory that workers allocated is best
// freed this way: freed by the caller, the blocks would wait in the caller's cache of free blocks
// and take in its next allocations, spread over the workers' heaps where they keep whole pages
// from going back to the system.
void elsewhere(const std::function<void()>& work);

}  // namespace ParallelWork
}  // namespace lumivex
