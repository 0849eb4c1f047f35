#include "catalog/catalog_stamps.h"

#include "catalog/metadata_files.h"
#include "platform/sha256.h"

#include <QHash>

namespace lumivex::CatalogStamps {

namespace {

struct Registry {
    QHash<QString, Stamp> stamps;
    std::uint64_t outsideChanges = 0;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

QByteArray digest(const QByteArray* bytes) {
    return bytes ? Sha256::of(*bytes) : QByteArray();
}

}  // namespace

Stamp onDisk(const QString& folder) {
    const QString metadata = folder + QStringLiteral("/.lumivex/");
    const std::optional<QByteArray> catalog =
        MetadataFiles::readIfPossible(metadata + QStringLiteral("lumivex.csv"));
    const std::optional<QByteArray> archive =
        MetadataFiles::readIfPossible(metadata + QStringLiteral("deleted.csv"));
    return of(catalog ? &*catalog : nullptr, archive ? &*archive : nullptr);
}

Stamp of(const QByteArray* catalog, const QByteArray* archive) {
    return {digest(catalog), digest(archive), true};
}

bool differs(const Stamp& known, const Stamp& found) {
    return !known.sure || !found.sure || known != found;
}

std::optional<Stamp> known(const QString& folder) {
    const auto found = registry().stamps.constFind(folder);
    return found == registry().stamps.constEnd() ? std::nullopt : std::optional<Stamp>(*found);
}

void adopt(const QString& folder, const std::optional<Stamp>& stamp) {
    Registry& shared = registry();
    if (!stamp) {
        shared.stamps.remove(folder);
        return;
    }
    const auto found = shared.stamps.constFind(folder);
    if ((found != shared.stamps.constEnd() && differs(*found, *stamp)) || !stamp->sure) {
        ++shared.outsideChanges;
    }
    shared.stamps.insert(folder, *stamp);
}

void wrote(const QString& folder, const Stamp& stamp) {
    registry().stamps.insert(folder, stamp);
}

std::uint64_t outsideChanges() {
    return registry().outsideChanges;
}

void noteOutsideChange() {
    ++registry().outsideChanges;
}

void clear() {
    registry().stamps.clear();
}

}  // namespace lumivex::CatalogStamps
