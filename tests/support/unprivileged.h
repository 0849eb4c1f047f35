#pragma once

#include <QString>

#include <sys/types.h>

#include <functional>

// Permissions do not stop the superuser, and the tests run as the superuser in CI: work that must
// meet a refused permission runs in a forked child that gives the superuser's rights up.
namespace lumivex::test {

// Gives `path` and everything under it (links not followed) to the user such a child runs as
// (65534 when the tests run as the superuser), so that only the modes a test sets afterwards
// refuse anything. Nothing changes when the tests run as an ordinary user.
void handOver(const QString& path);
// Sets the permission bits of `path`; fails the test on error.
void setMode(const QString& path, mode_t mode);

// Runs `work` in a forked child that runs as user and group 65534 when the tests run as the
// superuser, and returns the text `work` returned, or "error: " and the description of the
// lumivex::Error it threw. Fails the test when the child cannot drop its rights or dies.
QString asUnprivilegedUser(const std::function<QString()>& work);

}  // namespace lumivex::test
