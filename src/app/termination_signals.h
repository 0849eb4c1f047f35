#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace lumivex {

// Turns the signals that end a process politely (SIGTERM, and SIGINT and SIGHUP from a
// terminal) into a Qt signal on the main thread, so that the application ends in order, its
// edits stored, instead of being cut off. The handler only writes a byte into a socket that a
// notifier reads on the main thread. One at a time per process; the previous handlers come back
// when it is destroyed. Main thread.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received();

private:
    void drain();

    int sockets_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] = {};
};

}  // namespace lumivex
