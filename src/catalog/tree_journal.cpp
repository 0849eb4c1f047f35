#include "catalog/tree_journal.h"

#include "catalog/metadata_files.h"
#include "platform/file_status.h"
#include "platform/sorted_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lumivex::TreeJournal {

namespace {

Error unreadable(const QString& path) {
    return Error(
        QStringLiteral("Lumivex.FolderCatalog"), 2,
        QStringLiteral("폴더 저장 복구 파일을 읽지 못했습니다. 파일을 보존했습니다.\n") + path);
}

const QStringList memberNames = {QStringLiteral("archive"), QStringLiteral("catalog"),
                                 QStringLiteral("directory"), QStringLiteral("identity")};

FolderCatalog::Write decodeWrite(const QJsonValue& value, const QString& path) {
    const QJsonObject object = value.toObject();
    if (!value.isObject() || object.keys() != memberNames) {
        throw unreadable(path);
    }
    for (const QString& name : memberNames) {
        // Qt lets an escaped lone surrogate through; such a text has no UTF-8 form to write.
        if (!object.value(name).isString() || !object.value(name).toString().isValidUtf16()) {
            throw unreadable(path);
        }
    }
    return {object.value(u"directory").toString(), object.value(u"identity").toString(),
            object.value(u"catalog").toString(), object.value(u"archive").toString()};
}

}  // namespace

QString path(const QString& root) {
    return root + QStringLiteral("/.lumivex/folders-pending.json");
}

QByteArray encode(const QList<FolderCatalog::Write>& writes) {
    QList<QByteArray> encoded;
    encoded.reserve(writes.size());
    for (const FolderCatalog::Write& write : writes) {
        encoded.append(encodedWrite(write));
    }
    return joined(encoded);
}

QByteArray encodedWrite(const FolderCatalog::Write& write) {
    QByteArray out;
    SortedJson::appendTextObject(out, {{"archive", write.archive},
                                       {"catalog", write.catalog},
                                       {"directory", write.directory},
                                       {"identity", write.identity}});
    return out;
}

QByteArray joined(const QList<QByteArray>& encodedWrites) {
    QByteArray out;
    SortedJson::appendArray(out, encodedWrites);
    return out;
}

QList<FolderCatalog::Write> decode(const QByteArray& bytes, const QString& path) {
    const std::optional<QJsonDocument> document = SortedJson::decode(bytes);
    if (!document || !document->isArray()) {
        throw unreadable(path);
    }
    QList<FolderCatalog::Write> writes;
    for (const QJsonValue& value : document->array()) {
        writes.append(decodeWrite(value, path));
    }
    return writes;
}

void finishPending(const QString& root) {
    const QString journal = path(root);
    if (!FileStatus::readIfExists(journal)) {
        return;
    }
    const QList<FolderCatalog::Write> writes = decode(MetadataFiles::read(journal), journal);
    try {
        FolderCatalog::finish(writes, root);
    } catch (const Error& error) {
        // A bare write failure would leave the user guessing why an open writes at all: say that
        // an earlier save waits to be finished there, and that its journal is kept.
        if (error.systemErrorNumber() == 0) {
            throw;
        }
        throw Error(
            QStringLiteral("Lumivex.FolderCatalog"), 3,
            QStringLiteral("폴더 저장 복구 파일을 마치지 못했습니다. 파일을 보존했습니다.\n") +
                journal + u'\n' + error.description());
    }
}

}  // namespace lumivex::TreeJournal
