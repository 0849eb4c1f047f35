#include "media_views/lumivex_access_settings_view.h"

#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_folder_note.h"
#include "media_views/view_style.h"
#include "platform/app_brand.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

namespace Texts {
const QString librarySection = QStringLiteral("사진 보관함");
const QString notDetermined = QStringLiteral("아직 요청하지 않음");
const QString restricted = QStringLiteral("사진 폴더와 동영상 폴더 없음");
const QString denied = QStringLiteral("사진 접근 꺼짐");
const QString authorized = QStringLiteral("전체 사진 접근 허용됨");
const QString limited = QStringLiteral("선택한 사진만 허용됨");
const QString unknown = QStringLiteral("사진 접근 상태 확인 필요");
const QString libraryNote = QStringLiteral(
    "사진 보관함을 연결할 때만 필요합니다. 사진·영상 삭제는 앱에서 확인한 뒤 휴지통으로 "
    "옮깁니다.");
const QString request = QStringLiteral("사진 접근 요청");
const QString openSettings = QStringLiteral("사진 접근 설정 열기");
const QString foldersSection = QStringLiteral("사진·영상 폴더");
const QString foldersNote = QStringLiteral(
    "원하는 폴더만 직접 선택해 연결하세요. 폴더 사용에는 사진 보관함 권한이 필요하지 않습니다.");
const QString chooseFolder = QStringLiteral("연결할 폴더 선택…");
const QString recordsSection = QStringLiteral("내 기록");
QString recordsNote() {
    return QStringLiteral("별점·분류·메모는 원본과 별도로 이 컴퓨터의 CSV에 저장합니다. ") +
           AppBrand::nameWith(KoreanParticle::Particle::topic) +
           QStringLiteral(
               " 선택한 폴더를 읽고 쓰는 것 외에 특별한 시스템 권한이 필요하지 않습니다.");
}
}  // namespace Texts

QGroupBox* section(const QString& title) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(8);
    return box;
}

QLabel* note(const QString& text, const QFont& font, bool secondary) {
    QLabel* label = ViewStyle::wrappingLabel(text);
    label->setFont(font);
    if (secondary) {
        ViewStyle::makeSecondary(label);
    }
    return label;
}

void addLeft(QGroupBox* box, QWidget* widget) {
    static_cast<QVBoxLayout*>(box->layout())->addWidget(widget, 0, Qt::AlignLeft);
}

}  // namespace

LumivexAccessSettingsView::LumivexAccessSettingsView(PhotoLibrary& photos,
                                                     LumivexPhotoAccessGuide& guide,
                                                     std::function<void()> chooseLibrary,
                                                     QWidget* parent)
    : QWidget(parent),
      photos_(photos),
      guide_(guide),
      chooseLibrary_(std::move(chooseLibrary)),
      authorization_(photos.authorizationStatus()) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(librarySection());
    layout->addWidget(foldersSection());
    layout->addWidget(recordsSection());
    layout->addStretch();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) {
            readStatus();
        }
    });
    connect(&guide_, &LumivexPhotoAccessGuide::accessChanged, this,
            &LumivexAccessSettingsView::readStatus);
    refresh();
}

QWidget* LumivexAccessSettingsView::librarySection() {
    QGroupBox* box = section(Texts::librarySection);
    auto* statusRow = new QWidget;
    auto* row = new QHBoxLayout(statusRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(ViewStyle::symbol(QStringLiteral("photo.on.rectangle.angled"), 14));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    row->addWidget(status_, 1);
    box->layout()->addWidget(statusRow);
    box->layout()->addWidget(note(Texts::libraryNote, ViewStyle::caption(), true));
    requestButton_ = new QPushButton(Texts::request);
    addLeft(box, requestButton_);
    auto* openSettings = new QPushButton(Texts::openSettings);
    addLeft(box, openSettings);
    restrictedNote_ = note(QString(), ViewStyle::caption(), true);
    box->layout()->addWidget(restrictedNote_);
    connect(requestButton_, &QPushButton::clicked, this, &LumivexAccessSettingsView::request);
    connect(openSettings, &QPushButton::clicked, &guide_, &LumivexPhotoAccessGuide::show);
    return box;
}

QWidget* LumivexAccessSettingsView::foldersSection() {
    QGroupBox* box = section(Texts::foldersSection);
    box->layout()->addWidget(note(Texts::foldersNote, ViewStyle::callout(), false));
    auto* choose = new QPushButton(Texts::chooseFolder);
    addLeft(box, choose);
    connect(choose, &QPushButton::clicked, this, [this] { chooseLibrary_(); });
    return box;
}

QWidget* LumivexAccessSettingsView::recordsSection() {
    QGroupBox* box = section(Texts::recordsSection);
    box->layout()->addWidget(note(Texts::recordsNote(), ViewStyle::caption(), true));
    return box;
}

QString LumivexAccessSettingsView::statusText(PhotoAuthorizationStatus status) {
    switch (status) {
        case PhotoAuthorizationStatus::notDetermined:
            return Texts::notDetermined;
        case PhotoAuthorizationStatus::restricted:
            return Texts::restricted;
        case PhotoAuthorizationStatus::denied:
            return Texts::denied;
        case PhotoAuthorizationStatus::authorized:
            return Texts::authorized;
        case PhotoAuthorizationStatus::limited:
            return Texts::limited;
    }
    return Texts::unknown;
}

void LumivexAccessSettingsView::showEvent(QShowEvent*) {
    readStatus();
}

void LumivexAccessSettingsView::readStatus() {
    authorization_ = photos_.authorizationStatus();
    refresh();
}

void LumivexAccessSettingsView::request() {
    requesting_ = true;
    refresh();
    // The answer's own status is not trusted: the status is read afresh once it has come.
    photos_.requestAuthorization().then(this, [this](PhotoAuthorizationStatus) {
        authorization_ = photos_.authorizationStatus();
        requesting_ = false;
        refresh();
    });
}

void LumivexAccessSettingsView::refresh() {
    status_->setText(statusText(authorization_));
    requestButton_->setVisible(authorization_ == PhotoAuthorizationStatus::notDetermined);
    requestButton_->setEnabled(!requesting_);
    const bool restricted = authorization_ == PhotoAuthorizationStatus::restricted;
    restrictedNote_->setText(restricted ? PhotoFolderNote::missing(photos_.folders()) : QString());
    restrictedNote_->setVisible(restricted);
}

}  // namespace lumivex
