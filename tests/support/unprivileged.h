#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <functional>

// Permissions do not stop the superuser, and the tests run as the superuser in CI: work that must
// meet a refused permission runs in a fresh child process that gives the superuser's rights up.
namespace lumivex::test {

class ChildStep;

// Gives `path` and everything under it (links not followed) to the user such a child runs as
// (65534 when the tests run as the superuser), so that only the modes a test sets afterwards
// refuse anything. Nothing changes when the tests run as an ordinary user.
void handOver(const QString& path);
// Sets the permission bits of `path`; fails the test on error.
void setMode(const QString& path, mode_t mode);

// In the parent: runs `step` in a fresh child and returns the text it reported. Fails the test
// when the child dies, hangs or ends while it still holds the superuser's rights.
QString asUnprivilegedUser(const ChildStep& step, const QStringList& arguments);

// In the child, inside its step: gives the superuser's rights up for good (user and group 65534),
// then returns what `work` returns, or "error: " and the description of the lumivex::Error it
// threw. What the step does before runs with the rights the tests run with.
QByteArray withoutRights(const std::function<QString()>& work);

}  // namespace lumivex::test
