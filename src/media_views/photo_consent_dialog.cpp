#include "media_views/photo_consent_dialog.h"

#include "media_views/view_style.h"
#include "platform/app_brand.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

namespace Texts {
const QString title = QStringLiteral("사진 접근");
QString question() {
    return AppBrand::nameWith(KoreanParticle::Particle::subject) +
           QStringLiteral(" 사진 보관함에 접근하도록 허용할까요?");
}
const QString explanation = QStringLiteral(
    "전체 접근을 허용하면 사진 폴더와 동영상 폴더를, 사진 폴더만 허용하면 사진 폴더만 불러옵니다. "
    "허용 범위는 나중에 설정의 ‘권한’ 탭에서 바꿀 수 있습니다.");
const QString allowAll = QStringLiteral("전체 접근 허용");
const QString picturesOnly = QStringLiteral("사진 폴더만 허용");
const QString refuse = QStringLiteral("허용 안 함");
}  // namespace Texts

constexpr int dialogWidth = 420;

}  // namespace

PhotoConsentDialog::PhotoConsentDialog(QWidget* parent)
    : QDialog(parent),
      allowAll_(new QPushButton(Texts::allowAll)),
      picturesOnly_(new QPushButton(Texts::picturesOnly)),
      refuse_(new QPushButton(Texts::refuse)) {
    setWindowTitle(Texts::title);
    setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    setFixedWidth(dialogWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 18);
    layout->setSpacing(12);
    auto* question = ViewStyle::wrappingLabel(Texts::question());
    question->setFont(ViewStyle::systemFont(15, QFont::DemiBold));
    auto* explanation = ViewStyle::wrappingLabel(Texts::explanation);
    explanation->setFont(ViewStyle::callout());
    ViewStyle::makeSecondary(explanation);
    layout->addWidget(question);
    layout->addWidget(explanation);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refuse_);
    buttons->addStretch();
    buttons->addWidget(picturesOnly_);
    buttons->addWidget(allowAll_);
    layout->addLayout(buttons);
    allowAll_->setDefault(true);
    allowAll_->setFocus();
    connect(allowAll_, &QPushButton::clicked, this,
            [this] { answer(PhotoConsentAnswer::allowAll); });
    connect(picturesOnly_, &QPushButton::clicked, this,
            [this] { answer(PhotoConsentAnswer::picturesOnly); });
    connect(refuse_, &QPushButton::clicked, this, [this] { answer(PhotoConsentAnswer::refuse); });
}

PhotoConsentDialog::~PhotoConsentDialog() {
    if (pending_) {
        pending_->future().cancel();
        pending_->finish();
    }
}

QFuture<PhotoConsentAnswer> PhotoConsentDialog::ask() {
    if (!pending_) {
        pending_ = std::make_unique<QPromise<PhotoConsentAnswer>>();
        pending_->start();
    }
    open();
    raise();
    activateWindow();
    return pending_->future();
}

QPushButton* PhotoConsentDialog::button(PhotoConsentAnswer answer) const {
    switch (answer) {
        case PhotoConsentAnswer::allowAll:
            return allowAll_;
        case PhotoConsentAnswer::picturesOnly:
            return picturesOnly_;
        case PhotoConsentAnswer::refuse:
            break;
    }
    return refuse_;
}

void PhotoConsentDialog::answer(PhotoConsentAnswer answer) {
    if (const std::unique_ptr<QPromise<PhotoConsentAnswer>> promise = std::move(pending_)) {
        promise->addResult(answer);
        promise->finish();
    }
    accept();
}

void PhotoConsentDialog::reject() {
    if (const std::unique_ptr<QPromise<PhotoConsentAnswer>> promise = std::move(pending_)) {
        promise->future().cancel();
        promise->finish();
    }
    QDialog::reject();
}

}  // namespace lumivex
