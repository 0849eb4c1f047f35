#include "catalog/folder_catalog.h"

#include "platform/error.h"

#include <QStringList>

// The save's refusals: one error domain, and a code for each refusal a caller tells apart.
namespace lumivex::FolderCatalog {

namespace {

// Codes 2 and 3 of the domain are the tree journal's.
constexpr int unwritableFolderCode = 4;
constexpr int changedOutsideCode = 5;
constexpr int partlySavedCode = 6;

const QString domain = QStringLiteral("Lumivex.FolderCatalog");

bool isRefusal(const Error& error, int code) {
    return error.domain() == domain && error.code() == code;
}

}  // namespace

Error failure(const QString& message) {
    return Error(domain, 1, message);
}

Error unwritableFolder(const QString& folder) {
    return Error(domain, unwritableFolderCode,
                 QStringLiteral("‘%1’ 폴더에 쓸 수 없어 그 안의 항목은 바꾸지 않았습니다. 폴더의 "
                                "쓰기 권한을 확인해주세요.")
                     .arg(folder));
}

bool isUnwritableFolderRefusal(const Error& error) {
    return isRefusal(error, unwritableFolderCode);
}

Error changedOutside(const QString& folder) {
    return Error(domain, changedOutsideCode,
                 QStringLiteral("‘%1’ 폴더의 분류 파일이 앱 밖에서 바뀌어 다시 읽었습니다. 편집을 "
                                "다시 해주세요.")
                     .arg(folder));
}

bool isChangedOutsideRefusal(const Error& error) {
    return isRefusal(error, changedOutsideCode);
}

Error partlySaved(const QStringList& saved, const QStringList& unsaved, const QString& cause) {
    const auto named = [](const QStringList& folders) {
        QStringList quoted;
        for (const QString& folder : folders) {
            quoted.append(u'‘' + folder + u'’');
        }
        return quoted.join(QStringLiteral(", "));
    };
    return Error(domain, partlySavedCode,
                 QStringLiteral("편집을 %1 폴더에는 저장했고 %2 폴더에는 저장하지 않았습니다. %3 "
                                "다시 읽은 목록에서 저장하지 않은 부분을 다시 해주세요.")
                     .arg(named(saved), named(unsaved), cause));
}

bool isPartlySavedRefusal(const Error& error) {
    return isRefusal(error, partlySavedCode);
}

// The next load finishes the journal before anything else, and fails as long as that folder
// refuses the write: the library does not open until then.
QString unfinishedSave(const WriteProgress& progress, const QString& root) {
    if (!progress.failed) {
        return {};
    }
    const QString folder = folderPath(root, *progress.failed);
    if (progress.written.isEmpty()) {
        return QStringLiteral(
                   "‘%1’ 폴더에 쓸 수 있게 된 뒤에 다시 열어야 복구되며, 그 전에는 "
                   "라이브러리가 열리지 않습니다.")
            .arg(folder);
    }
    const qsizetype planned = progress.planned.size();
    const qsizetype written = progress.written.size();
    return QStringLiteral(
               "폴더 %1개 중 %2개에는 바뀐 분류 정보를 저장했지만 ‘%3’ 폴더에 쓰지 "
               "못해 나머지 %4개에는 저장하지 못했습니다. 나머지는 저장 복구 파일에 "
               "남아 있어, ‘%3’ 폴더에 쓸 수 있게 된 뒤 라이브러리를 다시 열면 "
               "저장합니다. 그 전에는 라이브러리가 열리지 않습니다.")
        .arg(QString::number(planned), QString::number(written), folder,
             QString::number(planned - written));
}

}  // namespace lumivex::FolderCatalog
