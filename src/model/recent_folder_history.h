#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace lumivex {

class UserDefaults;

// The folders recently opened as libraries, most recent first: absolute standardized paths
// ("." and ".." resolved as text, no trailing slash, symbolic links kept), no two equal, no limit
// on the length. A plain value; the store loads it and writes it back. Main thread.
struct RecentFolderHistory {
    static inline const QString defaultsKey = QStringLiteral("Lumivex.recentFolders");

    QStringList paths;

    // The list stored under defaultsKey, cleaned of relative entries and duplicates, and written
    // back cleaned. With nothing stored, `legacyFolder` (the remembered library root) starts the
    // list when it holds a catalog. Never fails.
    static RecentFolderHistory load(UserDefaults& defaults,
                                    const std::optional<QString>& legacyFolder);

    // `paths` as folder URLs (a trailing slash marks each as a folder), in order.
    QList<QUrl> folders() const;

    // Puts `folder` at the front, removing any equal entry.
    void record(const QString& folder);

    bool operator==(const RecentFolderHistory&) const = default;
};

}  // namespace lumivex
