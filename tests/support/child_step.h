#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

// Work that a test runs in a fresh process of its own test program rather than in a forked copy of
// itself: a fork of a process with threads may inherit a lock another thread held, and Qt code in
// the copy can then wait for it forever. A ChildProcess starts the program again with the step's
// name and arguments in its environment, and the program's main runs only that step.
namespace lumivex::test {

class ChildStep {
public:
    // The step's work gets the arguments the parent gave and returns the bytes to report to it
    // (after anything it sent itself with sendToParent).
    using Work = std::function<QByteArray(const QStringList& arguments)>;

    // Registers `work` under `name`, which must be unique in the test program; steps are made at
    // namespace scope so that every process of the program knows them.
    ChildStep(const char* name, Work work);

    const char* name() const { return name_; }

    // In the child: sends `bytes` to the parent at once (a step may report progress as it goes).
    static void sendToParent(const QByteArray& bytes);

    // In main, once the application object exists: when this process was started for a step,
    // runs it and returns the process's exit status; nothing otherwise. A step that throws or
    // fails an expectation exits with a status other than 0.
    static std::optional<int> runIfAsked();

private:
    const char* name_;
};

}  // namespace lumivex::test
