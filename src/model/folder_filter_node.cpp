#include "model/folder_filter_node.h"

#include "platform/text_order.h"

#include <QHash>
#include <QSet>

namespace lumivex {

namespace {

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

// Child paths by the NFC form of their parent, so canonically equivalent spellings meet.
using ChildrenByParent = QHash<QString, QStringList>;

std::vector<FolderFilterNode> nodesUnder(const QString& parentKey,
                                         const ChildrenByParent& children) {
    QStringList paths = children.value(parentKey);
    TextOrder::sortLocalizedStandard(paths);
    std::vector<FolderFilterNode> nodes;
    nodes.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths) {
        nodes.push_back(FolderFilterNode{path, nodesUnder(TextOrder::nfc(path), children)});
    }
    return nodes;
}

}  // namespace

std::vector<FolderFilterNode> FolderFilterNode::tree(const QStringList& paths) {
    QSet<QString> known;
    ChildrenByParent children;
    for (const QString& start : paths) {
        // A known folder already brought its ancestors in.
        for (QString path = start; !path.isEmpty(); path = parentOf(path)) {
            const QString key = TextOrder::nfc(path);
            if (known.contains(key)) {
                break;
            }
            known.insert(key);
            children[TextOrder::nfc(parentOf(path))].append(path);
        }
    }
    return nodesUnder(QString(), children);
}

}  // namespace lumivex
