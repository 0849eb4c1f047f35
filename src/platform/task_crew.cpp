#include "platform/task_crew.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace lumivex {

struct TaskCrew::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Task> tasks;
    std::vector<std::thread> threads;
    std::exception_ptr failure;
    std::size_t size = 1;
    std::size_t busy = 0;  // tasks running
    std::size_t idle = 0;  // members waiting for a task
    bool running = false;  // run has begun and not yet gathered the threads
};

TaskCrew::TaskCrew(int size) : state_(std::make_unique<State>()) {
    state_->size = static_cast<std::size_t>(std::max(size, 1));
}

TaskCrew::~TaskCrew() = default;

void TaskCrew::add(Task task) {
    const std::lock_guard lock(state_->mutex);
    state_->tasks.push_back(std::move(task));
    if (state_->idle > 0) {
        state_->changed.notify_one();
    }
    if (state_->running && !state_->failure && state_->tasks.size() > state_->idle &&
        state_->threads.size() + 1 < state_->size) {
        startThread();
    }
}

// Called with the lock held. A thread the system refuses leaves the work to the others.
void TaskCrew::startThread() {
    try {
        state_->threads.emplace_back(&TaskCrew::work, this);
    } catch (const std::system_error&) {
        state_->size = state_->threads.size() + 1;
    }
}

void TaskCrew::work() {
    State& state = *state_;
    std::unique_lock lock(state.mutex);
    for (;;) {
        ++state.idle;
        state.changed.wait(
            lock, [&state] { return state.failure || !state.tasks.empty() || state.busy == 0; });
        --state.idle;
        if (state.failure || state.tasks.empty()) {
            return;  // stopped, or nothing waits and nothing runs that could add more
        }
        Task task = std::move(state.tasks.front());
        state.tasks.pop_front();
        ++state.busy;
        lock.unlock();
        std::exception_ptr failure;
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
        task = nullptr;
        lock.lock();
        --state.busy;
        if (failure && !state.failure) {
            state.failure = failure;
        }
        if (state.failure || (state.busy == 0 && state.tasks.empty())) {
            state.changed.notify_all();
        }
    }
}

void TaskCrew::run() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->running = true;
        // Tasks added before the run get their threads now, the caller taking one of them.
        while (state_->threads.size() + 1 < std::min(state_->size, state_->tasks.size())) {
            startThread();
        }
    }
    work();
    std::vector<std::thread> threads;
    {
        // No thread starts from here on: nothing runs that could add a task, or the crew failed.
        const std::lock_guard lock(state_->mutex);
        state_->running = false;
        threads.swap(state_->threads);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    state_->tasks.clear();
    if (state_->failure) {
        std::rethrow_exception(state_->failure);
    }
}

}  // namespace lumivex
