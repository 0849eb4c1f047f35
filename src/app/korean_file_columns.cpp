#include "app/korean_file_columns.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>

namespace lumivex {

namespace {

enum Column { nameColumn, sizeColumn, typeColumn, dateColumn };

QString typeText(const QFileInfo& file) {
    if (file.isDir()) {
        return QStringLiteral("폴더");
    }
    const QString suffix = file.suffix().toUpper();
    return suffix.isEmpty() ? QStringLiteral("파일") : suffix + QStringLiteral(" 파일");
}

}  // namespace

QVariant KoreanFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || index.column() == nameColumn) {
        return QIdentityProxyModel::data(index, role);
    }
    const QFileInfo file = files->fileInfo(mapToSource(index));
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    switch (index.column()) {
        case sizeColumn:
            return file.isDir() ? QString() : korean.formattedDataSize(file.size());
        case typeColumn:
            return typeText(file);
        case dateColumn:
            return korean.toString(file.lastModified(), QLocale::ShortFormat);
        default:
            return QIdentityProxyModel::data(index, role);
    }
}

}  // namespace lumivex
