#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace lumivex {

namespace {

constexpr int handled[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, which may only make async-signal-safe calls.
volatile sig_atomic_t writeEnd = -1;

void handle(int) {
    const int saved = errno;
    const char byte = 1;
    // A full socket already holds a byte for the notifier: a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets_) != 0) {
        qWarning("Lumivex: termination signals stay unhandled: %s", strerror(errno));
        return;
    }
    writeEnd = sockets_[1];
    notifier_ = new QSocketNotifier(sockets_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action = {};
    action.sa_handler = &handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(handled); ++i) {
        ::sigaction(handled[i], &action, &previous_[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < std::size(handled); ++i) {
        ::sigaction(handled[i], &previous_[i], nullptr);
    }
    writeEnd = -1;
    delete notifier_;
    ::close(sockets_[0]);
    ::close(sockets_[1]);
}

void TerminationSignals::drain() {
    char bytes[16];
    while (::read(sockets_[0], bytes, sizeof bytes) > 0) {
    }
    Q_EMIT received();
}

}  // namespace lumivex
