#include "support/child_process.h"

#include "support/child_step.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace lumivex::test {

namespace {

constexpr int reportDescriptor = 3;

// This program as the running process has it, even when its file was replaced since it started.
constexpr char ownProgram[] = "/proc/self/exe";

// This process's environment with the step to run in place of any step of its own.
std::vector<std::string> childEnvironment(const char* step, const QStringList& arguments) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("LUMIVEX_CHILD_", 0) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back(std::string("LUMIVEX_CHILD_STEP=") + step);
    environment.push_back("LUMIVEX_CHILD_ARGUMENTS=" +
                          arguments.join(QChar(0x1f)).toUtf8().toStdString());
    return environment;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& each : strings) {
        pointers.push_back(each.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Between fork and exec only calls that are safe in a copy of a process with threads.
[[noreturn]] void execChild(const std::string& program, char* const* argv, char* const* envp,
                            int reportEnd, unsigned alarmSeconds) {
    if (reportEnd == reportDescriptor) {
        ::fcntl(reportEnd, F_SETFD, 0);
    } else if (::dup2(reportEnd, reportDescriptor) < 0) {
        ::_exit(126);
    }
    // A disposition or mask the test process set must not keep the alarm from ending the child.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(SIGALRM, &fallback, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::alarm(alarmSeconds);  // kept across exec: a child that hangs dies instead of holding the run
    ::execve(program.c_str(), argv, envp);
    ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const ChildStep& step, const QStringList& arguments, Options options)
    : step_(step.name()), options_(options) {
    for (const QString& argument : arguments) {
        EXPECT_FALSE(argument.contains(QChar(0x1f))) << "a child step's argument holds U+001F";
    }
    std::string program = ownProgram;
    std::vector<std::string> environment = childEnvironment(step_, arguments);
    std::vector<char*> envp = pointersTo(environment);
    std::vector<char*> argv{program.data(), nullptr};
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe for child step " << step_;
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        execChild(program, argv.data(), envp.data(), ends[1],
                  static_cast<unsigned>(options_.alarm.count()));
    }
    ::close(ends[1]);
    reportEnd_ = ends[0];
    if (pid_ < 0) {
        ADD_FAILURE() << "no process for child step " << step_;
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill();
        finish();
    }
    if (reportEnd_ >= 0) {
        ::close(reportEnd_);
    }
}

bool ChildProcess::read(void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0 && reportEnd_ >= 0) {
        const ssize_t got = ::read(reportEnd_, bytes, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return size == 0;
}

void ChildProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
    }
}

ChildEnd ChildProcess::finish() {
    ChildEnd end;
    char buffer[4096];
    while (reportEnd_ >= 0) {
        const ssize_t got = ::read(reportEnd_, buffer, sizeof buffer);
        if (got > 0) {
            end.report.append(buffer, got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    if (pid_ <= 0) {
        return end;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    end.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        ADD_FAILURE() << "child hung: step " << step_ << " did not end within its alarm of "
                      << options_.alarm.count() << " s";
    } else if (WIFSIGNALED(status) && !end.killed) {
        ADD_FAILURE() << "child step " << step_ << " died by signal " << WTERMSIG(status);
    } else if (WIFEXITED(status) && !end.finished) {
        ADD_FAILURE() << "child step " << step_ << " failed with exit status "
                      << WEXITSTATUS(status);
    }
    return end;
}

ChildEnd runChildStep(const ChildStep& step, const QStringList& arguments,
                      ChildProcess::Options options) {
    return ChildProcess(step, arguments, options).finish();
}

}  // namespace lumivex::test
