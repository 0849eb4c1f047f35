#include "support/temporary_trash_home.h"

#include "support/test_files.h"

#include <QFile>

namespace lumivex::test {

TemporaryTrashHome::TemporaryTrashHome(const QString& folder, bool withDataHome)
    : home_(folder + QStringLiteral("/home")),
      dataHome_(withDataHome ? folder + QStringLiteral("/data")
                             : home_ + QStringLiteral("/.local/share")) {
    makeDirectories(home_);
    saved_.emplace_back("HOME", qgetenv("HOME"));
    saved_.emplace_back("XDG_DATA_HOME", qgetenv("XDG_DATA_HOME"));
    qputenv("HOME", QFile::encodeName(home_));
    if (withDataHome) {
        makeDirectories(dataHome_);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_));
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}

TemporaryTrashHome::~TemporaryTrashHome() {
    for (const auto& [name, value] : saved_) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
}

}  // namespace lumivex::test
