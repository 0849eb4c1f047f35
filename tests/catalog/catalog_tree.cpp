#include "catalog_tree.h"

#include "catalog/folder_catalog.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

namespace lumivex::test::CatalogTree {

namespace {

const QStringList people{QStringLiteral("엄마"), QStringLiteral("아빠"), QStringLiteral("지민"),
                         QStringLiteral("Alex"), QStringLiteral("Sam, Jr.")};
const QStringList places{QStringLiteral("서울"), QStringLiteral("부산"), QStringLiteral("제주"),
                         QStringLiteral("\"집\"")};
const QStringList tags{QStringLiteral("여행"), QStringLiteral("가족"), QStringLiteral("best")};

QString pick(const QStringList& list, std::mt19937& random) {
    return list[static_cast<qsizetype>(random() % static_cast<unsigned>(list.size()))];
}

QString childName(int depth, int index) {
    static const QStringList tops{QStringLiteral("2024"), QStringLiteral("가족, \"소풍\""),
                                  QStringLiteral("여름 여행")};
    if (depth == 1) {
        return tops[index % tops.size()];
    }
    return depth == 2 ? QStringLiteral("앨범 %1").arg(index) : QStringLiteral("day %1").arg(index);
}

QString idOf(const Library& library, const QString& name) {
    for (const Category& category : library.categories) {
        if (category.name == name) {
            return category.idText();
        }
    }
    ADD_FAILURE() << "no property " << name.toStdString();
    return {};
}

QString folderOf(const QString& filename) {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QString() : filename.left(slash);
}

void addValues(Values& values, const MediaItem& item, const QList<Category>& categories,
               bool deleted) {
    ItemValues entry{item.rating, item.notes, {}, deleted};
    for (const auto& [key, list] : item.labels) {
        if (list.isEmpty()) {
            continue;
        }
        QString name = QStringLiteral("?") + key;
        for (const Category& category : categories) {
            if (category.idText() == key) {
                name = category.name;
            }
        }
        entry.labels[name] = list;
    }
    values[item.filename] = entry;
}

QString describe(const ItemValues& values) {
    QStringList labels;
    for (const auto& [name, list] : values.labels) {
        labels.append(name + u'=' + list.join(u'|'));
    }
    return QStringLiteral("rating %1, notes \"%2\", values {%3}%4")
        .arg(values.rating)
        .arg(values.notes, labels.join(QStringLiteral(", ")),
             values.deleted ? QStringLiteral(", deleted") : QString());
}

void walk(const QString& root, const QString& relative, std::map<QString, QByteArray>& files) {
    const QDir folder(relative.isEmpty() ? root : root + u'/' + relative);
    const QFileInfoList entries = folder.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString path =
            relative.isEmpty() ? entry.fileName() : relative + u'/' + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            files[path] = QByteArrayLiteral("<folder>");
            walk(root, path, files);
        } else {
            QFile file(entry.filePath());
            files[path] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        }
    }
}

}  // namespace

QString temporaryTemplate() {
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    const QString base =
        memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return base + QStringLiteral("/lumivex-tree-XXXXXX");
}

QStringList folderKeys(int count) {
    QStringList keys{QString()};
    for (qsizetype next = 0; keys.size() < count; ++next) {
        const QString parent = keys[next];
        const int depth = parent.isEmpty() ? 1 : static_cast<int>(parent.count(u'/')) + 2;
        for (int index = 0; index < 3 && keys.size() < count; ++index) {
            const QString name = childName(depth, index);
            keys.append(parent.isEmpty() ? name : parent + u'/' + name);
        }
    }
    return keys;
}

LibraryState syntheticState(const QStringList& folders, int itemCount, std::uint32_t seed) {
    std::mt19937 random(seed);
    LibraryState state;
    state.library.includeSubfolders = true;
    const QString person = idOf(state.library, QStringLiteral("사람"));
    const QString place = idOf(state.library, QStringLiteral("위치"));
    const QString tag = idOf(state.library, QStringLiteral("태그"));
    for (int i = 0; i < itemCount; ++i) {
        MediaItem item;
        item.id = QUuid::createUuid();
        const QString folder = folders[i % folders.size()];
        const bool video = i % 5 == 4;
        const QString name = i % 7 == 3 ? QStringLiteral("사진 %1, \"복사본\".jpg").arg(i)
                                        : QStringLiteral("IMG_%1.%2")
                                              .arg(i, 5, 10, QLatin1Char('0'))
                                              .arg(video ? u"mov" : u"jpg");
        item.filename = folder.isEmpty() ? name : folder + u'/' + name;
        item.kind = video ? MediaKind::video : MediaKind::photo;
        item.fileIdentity = QStringLiteral("2049:%1:1600000000.25").arg(1000000 + i);
        item.size = 100000 + static_cast<std::int64_t>(random() % 900000);
        item.modified = {1600000000.0 + i * 37.5};
        item.added = {1700000000.0 + i};
        if (video) {
            item.duration = static_cast<double>(random() % 300) + 0.25;
        }
        item.rating = static_cast<std::int64_t>(random() % 6);
        if (random() % 3 == 0) {
            item.labels[person] = QStringList{pick(people, random)};
        }
        if (random() % 2 == 0) {
            item.labels[place] = QStringList{pick(places, random)};
        }
        if (random() % 4 == 0) {
            item.labels[tag] = QStringList{pick(tags, random)};
        }
        if (random() % 10 == 0) {
            item.notes = QStringLiteral("메모 %1, \"따옴표\"\n둘째 줄").arg(i);
        }
        state.library.items.append(item);
    }
    return state;
}

void write(const LibraryState& state, const QString& root) {
    for (const MediaItem& item : state.library.items) {
        makeDirectories(root + u'/' + folderOf(item.filename));
    }
    FolderCatalog::save(state, root);
}

LibraryState edited(const LibraryState& state, std::mt19937& random) {
    LibraryState result = state;
    const QString person = idOf(result.library, QStringLiteral("사람"));
    const QString place = idOf(result.library, QStringLiteral("위치"));
    std::map<QString, QList<qsizetype>> byFolderIndex;
    for (qsizetype i = 0; i < result.library.items.size(); ++i) {
        byFolderIndex[result.library.items[i].folder()].append(i);
    }
    QSet<qsizetype> deletions;
    for (const auto& [folder, indexes] : byFolderIndex) {
        if (random() % 3 != 0) {
            continue;
        }
        const qsizetype count = std::min<qsizetype>(indexes.size(), 1 + random() % 4);
        const qsizetype start = static_cast<qsizetype>(random() % indexes.size());
        for (qsizetype k = 0; k < count; ++k) {
            const qsizetype index = indexes[(start + k) % indexes.size()];
            MediaItem& item = result.library.items[index];
            item.rating = (item.rating + 1 + static_cast<std::int64_t>(random() % 5)) % 6;
            if (random() % 3 == 0) {
                item.notes = QStringLiteral("고침 %1, \"새\"\n메모").arg(random() % 1000);
            }
            if (random() % 3 == 0) {
                item.labels[place] = QStringList{pick(places, random)};
            }
            if (random() % 4 == 0) {
                item.labels[person] = QStringList{pick(people, random), pick(people, random)};
                item.labels[person].removeDuplicates();
            }
            if (random() % 12 == 0 && indexes.size() > 1) {
                deletions.insert(index);
            }
        }
    }
    QSet<QUuid> ids;
    for (const qsizetype index : deletions) {
        ids.insert(result.library.items[index].id);
    }
    if (!ids.isEmpty()) {
        result.remove(ids, Date{1700000000.0 + static_cast<double>(random() % 1000)});
    }
    return result;
}

Values valuesOf(const LibraryState& state) {
    Values values;
    for (const MediaItem& item : state.library.items) {
        addValues(values, item, state.library.categories, false);
    }
    for (const DeletedRecord& record : state.deleted.records) {
        addValues(values, record.item, state.deleted.categories, true);
    }
    return values;
}

std::map<QString, Values> byFolder(const Values& values) {
    std::map<QString, Values> folders;
    for (const auto& [filename, entry] : values) {
        folders[folderOf(filename)][filename] = entry;
    }
    return folders;
}

QString firstDifference(const Values& expected, const Values& actual) {
    for (const auto& [filename, entry] : expected) {
        const auto found = actual.find(filename);
        if (found == actual.end()) {
            return filename + QStringLiteral(": missing (expected ") + describe(entry) + u')';
        }
        if (found->second != entry) {
            return filename + QStringLiteral(": expected ") + describe(entry) +
                   QStringLiteral("; got ") + describe(found->second);
        }
    }
    for (const auto& [filename, entry] : actual) {
        if (!expected.contains(filename)) {
            return filename + QStringLiteral(": unexpected ") + describe(entry);
        }
    }
    return {};
}

QString firstMixedFolder(const Values& before, const Values& after, const Values& actual) {
    const auto old = byFolder(before);
    const auto changed = byFolder(after);
    const auto found = byFolder(actual);
    QSet<QString> keys;
    for (const auto* map : {&old, &changed, &found}) {
        for (const auto& [key, unused] : *map) {
            keys.insert(key);
        }
    }
    for (const QString& key : keys) {
        const Values none;
        const Values& oldValues = old.contains(key) ? old.at(key) : none;
        const Values& newValues = changed.contains(key) ? changed.at(key) : none;
        const Values& values = found.contains(key) ? found.at(key) : none;
        if (values != oldValues && values != newValues) {
            return QStringLiteral(
                       "folder \"%1\": against the old state %2; against the new state %3")
                .arg(key, firstDifference(oldValues, values), firstDifference(newValues, values));
        }
    }
    return {};
}

QStringList journalsUnder(const QString& root) {
    QStringList journals;
    for (const auto& [path, bytes] : treeBytes(root)) {
        if (path.endsWith(QStringLiteral(".lumivex/folders-pending.json")) ||
            path.endsWith(QStringLiteral(".lumivex/pending-write.json"))) {
            journals.append(path);
        }
    }
    return journals;
}

std::map<QString, QByteArray> treeBytes(const QString& root) {
    std::map<QString, QByteArray> files;
    walk(root, QString(), files);
    return files;
}

}  // namespace lumivex::test::CatalogTree
