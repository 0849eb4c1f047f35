#include "platform/parallel_work.h"

#include "platform/task_crew.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace lumivex::ParallelWork {

namespace {

std::size_t processors() {
    return static_cast<std::size_t>(std::max(QThread::idealThreadCount(), 1));
}

void forEachOn(std::size_t threads, std::size_t count,
               const std::function<bool(std::size_t)>& work) {
    if (count <= 1) {
        if (count == 1) {
            work(0);  // no crew to wake for one piece of work
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> end{count};
    const auto run = [&] {
        for (std::size_t index = next.fetch_add(1); index < end.load(); index = next.fetch_add(1)) {
            if (work(index)) {
                continue;
            }
            std::size_t known = end.load();
            while (index + 1 < known && !end.compare_exchange_weak(known, index + 1)) {
            }
        }
    };
    const auto members = std::min(count, threads);
    TaskCrew crew(static_cast<int>(members));
    for (std::size_t i = 0; i < members; ++i) {
        crew.add(run);
    }
    crew.run();
}

}  // namespace

void forEach(std::size_t count, const std::function<bool(std::size_t)>& work) {
    forEachOn(processors(), count, work);
}

void forEachWaiting(std::size_t count, const std::function<bool(std::size_t)>& work) {
    forEachOn(2 * processors(), count, work);
}

void elsewhere(const std::function<void()>& work) {
    try {
        std::jthread(work).join();
    } catch (const std::system_error&) {
        work();  // no thread to be had: the caller does it, at some cost in memory only
    }
}

}  // namespace lumivex::ParallelWork
