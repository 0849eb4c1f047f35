#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace lumivex::test {

// Points HOME and XDG_DATA_HOME at new folders inside `folder` while it lives, so that a move to
// the Trash of a file inside `folder` stays inside it: the Trash beside a mount point is used
// only for files on another device than the home folder. Without `withDataHome`, XDG_DATA_HOME is
// unset and the home has no data folder yet, as on a new account.
class TemporaryTrashHome {
public:
    explicit TemporaryTrashHome(const QString& folder, bool withDataHome = true);
    ~TemporaryTrashHome();
    TemporaryTrashHome(const TemporaryTrashHome&) = delete;
    TemporaryTrashHome& operator=(const TemporaryTrashHome&) = delete;

    QString home() const { return home_; }
    QString dataHome() const { return dataHome_; }
    // The files and the records of the home Trash.
    QString trashFiles() const { return dataHome_ + QStringLiteral("/Trash/files"); }
    QString trashInfo() const { return dataHome_ + QStringLiteral("/Trash/info"); }

private:
    QString home_;
    QString dataHome_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

}  // namespace lumivex::test
