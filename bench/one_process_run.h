#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex::bench {

// The one-minute load average, given beside figures taken on a shared machine.
double loadAverage();

// Processor seconds used so far by this process's threads (RUSAGE_SELF) or by its finished
// children (RUSAGE_CHILDREN).
double processorSeconds(int who);

// The path of a program built beside the running benchmark program.
QString besideBenchmark(const QString& name);

// Runs `program` once with `arguments` and then every path of `paths`, on one thread where the
// program lets it choose (VIPS_CONCURRENCY), as a person runs a tool over a folder: its standard
// output, or nothing when it failed.
std::optional<QByteArray> runOverFiles(const QString& program, const QStringList& arguments,
                                       const QStringList& paths);

}  // namespace lumivex::bench
