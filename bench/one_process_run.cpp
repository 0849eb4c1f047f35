#include "one_process_run.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

#include <fstream>

namespace lumivex::bench {

double loadAverage() {
    std::ifstream file("/proc/loadavg");
    double oneMinute = 0;
    file >> oneMinute;
    return oneMinute;
}

double processorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString besideBenchmark(const QString& name) {
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self).absolutePath() + u'/' + name;
}

std::optional<QByteArray> runOverFiles(const QString& program, const QStringList& arguments,
                                       const QStringList& paths) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments + paths);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

}  // namespace lumivex::bench
