#include "support/temporary_trash_home.h"

#include "support/test_files.h"

#include <QFile>

namespace lumivex::test {

TemporaryTrashHome::TemporaryTrashHome(const QString& folder)
    : home_(folder + QStringLiteral("/home")), dataHome_(folder + QStringLiteral("/data")) {
    makeDirectories(home_);
    makeDirectories(dataHome_);
    for (const auto& [name, value] : {std::pair{"HOME", home_}, {"XDG_DATA_HOME", dataHome_}}) {
        saved_.emplace_back(name, qgetenv(name));
        qputenv(name, QFile::encodeName(value));
    }
}

TemporaryTrashHome::~TemporaryTrashHome() {
    for (const auto& [name, value] : saved_) {
        qputenv(name, value);
    }
}

}  // namespace lumivex::test
