#include "media/photos_catalog_location.h"

#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "platform/file_status.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace lumivex::PhotosCatalogLocation {

namespace {

// Whether anything is at `path`, following a final symbolic link as the user would see it.
bool exists(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// The item at the path itself must be a folder; a link to one is refused.
void checkDirectory(const QString& path) {
    if (!FileStatus::read(path).isDirectory()) {
        throw FileDeletionValidation::invalidFileName();
    }
}

bool isRegularFile(const QString& path) {
    const std::optional<FileStatus> status = FileStatus::readIfExists(path);
    return status && status->isRegularFile();
}

// Only a folder that earlier versions filled is theirs to move: a folder of the user's own that
// merely has the name stays where it is.
bool holdsMetadata(const QString& folder) {
    const QString metadata = folder + QStringLiteral("/.lumivex");
    const std::optional<FileStatus> status = FileStatus::readIfExists(metadata);
    return status && status->isDirectory() &&
           (isRegularFile(metadata + QStringLiteral("/lumivex.csv")) ||
            isRegularFile(metadata + QStringLiteral("/deleted.csv")));
}

void makeParent(const QString& destination) {
    const std::filesystem::path parent =
        std::filesystem::path(QFile::encodeName(destination).toStdString()).parent_path();
    std::error_code failure;
    std::filesystem::create_directories(parent, failure);
    if (failure) {
        throw Error::fromErrno(failure.value(), QFile::decodeName(parent.c_str()));
    }
}

void move(const QString& from, const QString& to) {
    // Never over something that appeared meanwhile.
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) != 0) {
        throw Error::fromErrno(errno, from);
    }
}

// The first legacy folder that holds metadata, once the first existing entry passed the check.
std::optional<QString> legacyFolder(const QString& destination, const QStringList& candidates) {
    const QString standardized = QDir::cleanPath(destination);
    for (const QString& candidate : candidates) {
        if (QDir::cleanPath(candidate) == standardized || !exists(candidate)) {
            continue;
        }
        checkDirectory(candidate);
        if (holdsMetadata(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

QString defaultDestination() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Lumivex/Photos");
}

QStringList defaultLegacyDirectories() {
    return {QDir::homePath() + QStringLiteral("/lumivex/Photos")};
}

QString prepare(const QString& destination, const std::optional<QStringList>& legacyDirectories) {
    if (exists(destination)) {
        checkDirectory(destination);
        return destination;
    }
    const QStringList candidates = legacyDirectories.value_or(defaultLegacyDirectories());
    makeParent(destination);
    if (const std::optional<QString> legacy = legacyFolder(destination, candidates)) {
        move(*legacy, destination);
        return destination;
    }
    if (::mkdir(QFile::encodeName(destination).constData(), 0777) != 0) {
        throw Error::fromErrno(errno, destination);
    }
    return destination;
}

}  // namespace lumivex::PhotosCatalogLocation
