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

}  // namespace lumivex::FolderCatalog
