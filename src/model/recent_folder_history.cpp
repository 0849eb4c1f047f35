#include "model/recent_folder_history.h"

#include "platform/text_order.h"
#include "platform/user_defaults.h"

#include <QDir>
#include <QFileInfo>

namespace lumivex {

namespace {

QString standardized(const QString& folder) {
    return QDir::cleanPath(QDir::isAbsolutePath(folder) ? folder
                                                        : QDir::current().absoluteFilePath(folder));
}

void putFirst(QStringList& paths, const QString& path) {
    paths.removeIf([&](const QString& other) { return TextOrder::canonicallyEqual(other, path); });
    paths.prepend(path);
}

QStringList cleaned(const QStringList& stored) {
    QStringList paths;
    for (auto entry = stored.crbegin(); entry != stored.crend(); ++entry) {
        if (entry->startsWith(u'/')) {
            putFirst(paths, standardized(*entry));
        }
    }
    return paths;
}

QStringList fromLegacyFolder(const std::optional<QString>& legacyFolder) {
    if (!legacyFolder || !legacyFolder->startsWith(u'/')) {
        return {};
    }
    const QString folder = standardized(*legacyFolder);
    if (!QFileInfo::exists(folder + QStringLiteral("/.lumivex/lumivex.csv"))) {
        return {};
    }
    return {folder};
}

}  // namespace

RecentFolderHistory RecentFolderHistory::load(UserDefaults& defaults,
                                              const std::optional<QString>& legacyFolder) {
    RecentFolderHistory history;
    if (const auto stored = defaults.textList(defaultsKey)) {
        history.paths = cleaned(*stored);
    } else if (!defaults.contains(defaultsKey)) {
        history.paths = fromLegacyFolder(legacyFolder);
    }
    defaults.setTextList(defaultsKey, history.paths);
    return history;
}

QList<QUrl> RecentFolderHistory::folders() const {
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path.endsWith(u'/') ? path : path + u'/'));
    }
    return urls;
}

void RecentFolderHistory::record(const QString& folder) {
    putFirst(paths, standardized(folder));
}

}  // namespace lumivex
