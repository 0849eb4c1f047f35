#pragma once

#include <functional>
#include <memory>

namespace lumivex {

// A bounded set of threads working through one shared list of tasks, the thread that runs the
// crew among them, so the work goes on even when no further thread can be had. A thread is
// started only while more tasks wait than members are idle, so a small job stays on the calling
// thread. Used for one job: created, given its first tasks, run once.
class TaskCrew {
public:
    using Task = std::function<void()>;

    // At most `size` threads work at once, the one that runs the crew included (at least one).
    explicit TaskCrew(int size);
    ~TaskCrew();
    TaskCrew(const TaskCrew&) = delete;
    TaskCrew& operator=(const TaskCrew&) = delete;

    // Adds a task; callable from any thread, from within tasks too.
    void add(Task task);

    // Works on the calling thread until every task added has run, then waits for the other
    // threads. The first exception a task throws stops the crew: tasks not begun are dropped, the
    // ones running finish, and run rethrows it once all threads are gone.
    void run();

private:
    struct State;
    void work();
    void startThread();

    std::unique_ptr<State> state_;
};

}  // namespace lumivex
