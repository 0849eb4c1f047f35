#pragma once

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

#include <chrono>

namespace lumivex::test {

class ChildStep;

// How a child ended, once ChildProcess::finish has seen it end.
struct ChildEnd {
    QByteArray report;      // what the child sent that read() had not taken
    bool finished = false;  // the step ran to its end and exited cleanly
    bool killed = false;    // SIGKILL ended it: a kill point of the step's own, or kill()
};

// A fresh process of this test program that runs one ChildStep (parent side). It dies by
// SIGALRM when its alarm runs out, which finish() reports as a hung child; any end other than a
// clean exit or SIGKILL fails the test too.
class ChildProcess {
public:
    struct Options {
        std::chrono::seconds alarm{120};
    };

    ChildProcess(const ChildStep& step, const QStringList& arguments, Options options);
    ChildProcess(const ChildStep& step, const QStringList& arguments)
        : ChildProcess(step, arguments, Options{}) {}
    // Kills and reaps a child that finish() did not wait for.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads exactly `size` bytes of the child's report; false when the child ended before.
    bool read(void* data, size_t size);
    void kill();
    // Reads the rest of the report and waits for the child to end.
    ChildEnd finish();

private:
    const char* step_;
    Options options_;
    pid_t pid_ = -1;
    int reportEnd_ = -1;
};

// Runs `step` in a fresh child to its end and returns how it ended.
ChildEnd runChildStep(const ChildStep& step, const QStringList& arguments,
                      ChildProcess::Options options = {});

}  // namespace lumivex::test
