#include "catalog/deletion_request.h"
#include "media_views/lumivex_access_settings_view.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "media_views/photos_setup_view.h"
#include "platform/app_brand.h"
#include "store/store_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

using Status = PhotoAuthorizationStatus;

// Every text a window shows: its title, its labels and its buttons.
QStringList textsOf(const QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        texts.append(button->text());
    }
    return texts;
}

class ProductNameParticles : public StoreTest {};

// "Dovrin" ends in a consonant: a particle written for a vowel ending after it reads wrong.
TEST_F(ProductNameParticles, EveryTextAfterTheNameTakesTheConsonantForm) {
    PhotoConsentDialog dialog;
    LumivexPhotoAccessGuide guide{dialog, [](PhotoConsentAnswer) {}};
    guide.setLibrary(&photos);
    photos.folderPaths = {QStringLiteral("/home/u/Pictures")};
    QStringList texts = textsOf(dialog);
    for (const Status status : {Status::notDetermined, Status::restricted, Status::denied,
                                Status::authorized, Status::limited}) {
        photos.status = status;
        guide.show();
        texts += textsOf(*guide.panel());
        LumivexAccessSettingsView page(photos, guide, [] {});
        texts += textsOf(page);
        makeStore();
        PhotosSetupView sheet(*store, photos, guide, [] {});
        sheet.show();
        texts += textsOf(sheet);
        dialog.close();
    }
    for (const LibrarySource source : {LibrarySource::folder, LibrarySource::photos}) {
        DeletionRequest request;
        request.source = source;
        texts.append(request.message());
    }

    const QString name = QRegularExpression::escape(AppBrand::name());
    const QRegularExpression vowelForm(name + QStringLiteral("(가|를|는|와|로)"));
    const QRegularExpression anyParticle(name + QStringLiteral("(이|을|은|과|으로)"));
    int named = 0;
    for (const QString& text : texts) {
        EXPECT_FALSE(text.contains(vowelForm)) << text.toStdString();
        named += text.contains(anyParticle) ? 1 : 0;
    }
    // The consent question, the guide's last step and the records note put one after the name.
    EXPECT_GE(named, 3);
}

}  // namespace
}  // namespace lumivex::test
