#include "media_views/photo_folder_note.h"

#include "platform/app_brand.h"

namespace lumivex::PhotoFolderNote {

QString heading() {
    return QStringLiteral("사진 폴더를 찾을 수 없어요");
}

QString missing(const QStringList& folders) {
    const QString back = AppBrand::nameWith(KoreanParticle::Particle::toward) +
                         QStringLiteral(" 돌아오면 다시 확인합니다.");
    if (folders.isEmpty()) {
        return QStringLiteral(
                   "사진 폴더와 동영상 폴더가 지정되어 있지 않습니다. 사용자 폴더 "
                   "설정(xdg-user-dirs)에서 지정한 뒤 ") +
               back;
    }
    return QStringLiteral("사진 폴더와 동영상 폴더가 없거나 읽을 수 없습니다.\n") +
           folders.join(u'\n') + QStringLiteral("\n이 중 한 폴더를 만들거나 읽을 수 있게 한 뒤 ") +
           back;
}

}  // namespace lumivex::PhotoFolderNote
