#include "support/unprivileged.h"

#include "platform/error.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace lumivex::test {

namespace {

constexpr uid_t nobody = 65534;

int giveToNobody(const char* path, const struct stat*, int, FTW*) {
    return ::lchown(path, nobody, nobody);
}

void writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written <= 0) {
            return;
        }
        data += written;
        left -= written;
    }
}

[[noreturn]] void runChild(int toParent, const std::function<QString()>& work) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
        std::_Exit(2);
    }
    QString report;
    try {
        report = work();
    } catch (const Error& error) {
        report = QStringLiteral("error: ") + error.description();
    }
    writeAll(toParent, report.toUtf8());
    std::_Exit(0);
}

}  // namespace

void handOver(const QString& path) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::nftw(QFile::encodeName(path).constData(), giveToNobody, 16, FTW_PHYS), 0)
            << path.toStdString();
    }
}

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

QString asUnprivilegedUser(const std::function<QString()>& work) {
    int ends[2];
    if (::pipe(ends) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ADD_FAILURE() << "no child";
        return {};
    }
    if (child == 0) {
        ::close(ends[0]);
        runChild(ends[1], work);
    }
    ::close(ends[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, got);
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child did not finish: status " << status;
    return QString::fromUtf8(report);
}

}  // namespace lumivex::test
