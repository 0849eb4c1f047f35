#pragma once

#include <QIdentityProxyModel>

namespace lumivex {

// The file dialog's columns in Korean whatever the user's locale: Qt's file model writes the
// type of a folder ("Folder"), a file's type, its size and its date in the system's language,
// which need not be the interface's. Sits between the dialog and its file model. Main thread.
class KoreanFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace lumivex
