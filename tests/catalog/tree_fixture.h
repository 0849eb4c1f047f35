#pragma once

#include "catalog/folder_catalog.h"

#include <QString>

#include <functional>

// Builders for folder-tree catalog tests: items, folders with their own files, and checks of the
// tree catalog's errors.
namespace lumivex::test {

// A photo item with a fixed identity made from its name, so the same name gives the same item
// key in every folder.
MediaItem treeItem(const QString& filename, std::int64_t rating = 0, Labels labels = {});
Category property(const QString& name, PropertyKind kind, QStringList options = {});

// Writes a folder's own catalog and deleted records as one earlier save left them.
void writeFolder(const QString& folder, const Library& library, const DeletedArchive& archive = {});

QByteArray catalogOf(const QString& folder);
QByteArray archiveOf(const QString& folder);

// Runs `action` and expects the "Lumivex.FolderCatalog" code 1 error with `message`.
void expectFolderFailure(const std::function<void()>& action, const QString& message);
void expectInvalidCSV(const std::function<void()>& action);

inline const QString linkMessage =
    QStringLiteral("분류 파일이 심볼릭 링크여서 쓰지 않았습니다. 기존 파일은 보존했습니다.");
inline const QString notAFolderMessage =
    QStringLiteral("폴더가 없거나 심볼릭 링크입니다. 기존 CSV는 보존했습니다.");
inline const QString replacedMessage = QStringLiteral(
    "CSV 저장 중 폴더가 이동되거나 교체되었습니다. 분류 기록과 저장 복구 파일은 보존했습니다.");
inline const QString movedMessage =
    QStringLiteral("파일 폴더가 이동되었습니다. 새로고침 후 다시 시도하세요.");

}  // namespace lumivex::test
