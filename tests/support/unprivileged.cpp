#include "support/unprivileged.h"

#include "platform/error.h"
#include "support/child_process.h"
#include "support/child_step.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace lumivex::test {

namespace {

constexpr uid_t nobody = 65534;

// What a child that ran its work as an ordinary user ends its report with.
constexpr char rightsGivenUp = '\x1e';

int giveToNobody(const char* path, const struct stat*, int, FTW*) {
    return ::lchown(path, nobody, nobody);
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

QString asUnprivilegedUser(const ChildStep& step, const QStringList& arguments) {
    const ChildEnd end = runChildStep(step, arguments);
    EXPECT_TRUE(end.finished) << "the child did not finish";
    EXPECT_TRUE(end.report.endsWith(rightsGivenUp))
        << "the child step did not run its work through withoutRights";
    return QString::fromUtf8(end.report.chopped(end.report.endsWith(rightsGivenUp) ? 1 : 0));
}

QByteArray withoutRights(const std::function<QString()>& work) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
        throw std::runtime_error("the child could not give the superuser's rights up");
    }
    QString report;
    try {
        report = work();
    } catch (const Error& error) {
        report = QStringLiteral("error: ") + error.description();
    }
    return report.toUtf8() + rightsGivenUp;
}

}  // namespace lumivex::test
