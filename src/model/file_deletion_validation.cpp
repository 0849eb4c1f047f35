#include "model/file_deletion_validation.h"

#include "model/library.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "platform/file_status.h"

#include <QDir>

#include <charconv>
#include <limits>

namespace lumivex::FileDeletionValidation {

namespace {

Error changedOrMoved(const QString& filename) {
    return Error(QStringLiteral("Lumivex"), 1,
                 QStringLiteral("‘%1’ 파일이 변경되었거나 이동되었습니다.").arg(filename));
}

bool isSafePart(const QString& part) {
    return !part.isEmpty() && part != u"." && part != u".." && !part.contains(QChar(u'\0'));
}

}  // namespace

QString identity(const QString& path, const std::optional<Date>& creationDate) {
    return identity(FileStatus::read(path), creationDate);
}

char* writeIdentity(const FileStatus& status, const std::optional<Date>& creationDate,
                    char* first) {
    static_assert(identityCapacity >= 2 * (std::numeric_limits<std::uint64_t>::digits10 + 2) +
                                          DecimalText::shortestCapacity);
    char* last = first;
    for (const std::optional<std::uint64_t>& number : {status.device, status.inode}) {
        if (number) {
            last = std::to_chars(last, first + identityCapacity, *number).ptr;
        }
        *last++ = ':';
    }
    return DecimalText::writeShortest(creationDate ? creationDate->secondsSince1970 : 0.0, last);
}

QString identity(const FileStatus& status, const std::optional<Date>& creationDate) {
    char text[identityCapacity];
    return QString::fromLatin1(text, writeIdentity(status, creationDate, text) - text);
}

QString url(const MediaItem& item, const QString& root) {
    const QStringList parts = item.filename.split(u'/');
    for (const QString& part : parts) {
        if (!isSafePart(part)) {
            throw invalidFileName();
        }
    }
    if (item.fileIdentity.startsWith(u"photos:")) {
        throw invalidFileName();
    }
    // The cleaned root "/" is the only one that ends in a slash.
    QString location = QDir::cleanPath(root);
    if (location.endsWith(u'/')) {
        location.chop(1);
    }
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        location += u'/' + parts[i];
        const FileStatus folder = FileStatus::read(location);
        if (!folder.isDirectory()) {
            throw invalidFileName();
        }
    }
    location += u'/' + parts.last();
    // One examination for both checks: the identity must be that of the file just seen to be
    // regular, not of whatever the name holds a moment later.
    const FileStatus file = FileStatus::read(location);
    if (!file.isRegularFile() || identity(file, file.created) != item.fileIdentity) {
        throw changedOrMoved(item.filename);
    }
    return location;
}

Error invalidFileName() {
    return Error(invalidFileNameDomain, 1, QStringLiteral("파일 이름이 올바르지 않습니다."));
}

bool isInvalidFileName(const Error& error) {
    return error.domain() == invalidFileNameDomain;
}

}  // namespace lumivex::FileDeletionValidation
