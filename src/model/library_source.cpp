#include "model/library_source.h"

namespace lumivex {

QString rawValue(LibrarySource source) {
    switch (source) {
        case LibrarySource::none:
            return QStringLiteral("none");
        case LibrarySource::folder:
            return QStringLiteral("folder");
        case LibrarySource::photos:
            return QStringLiteral("photos");
    }
    return {};
}

std::optional<LibrarySource> librarySourceFromRaw(const QString& raw) {
    for (LibrarySource source :
         {LibrarySource::none, LibrarySource::folder, LibrarySource::photos}) {
        if (raw == rawValue(source)) {
            return source;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex
