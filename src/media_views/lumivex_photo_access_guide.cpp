#include "media_views/lumivex_photo_access_guide.h"

#include "media_views/photo_folder_note.h"
#include "media_views/view_style.h"
#include "platform/app_brand.h"
#include "platform/photo_consent_prompt.h"
#include "platform/photo_library.h"
#include "store/lumivex_theme.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lumivex {

namespace {

namespace Texts {
const QString title = QStringLiteral("Dovrin · 사진 접근");
const QString heading = QStringLiteral("사진 접근 허용하기");
QString steps() {
    return QStringLiteral("1. 열린 ‘사진 접근’ 창을 확인해요.\n\n2. ") + AppBrand::name() +
           QStringLiteral("의 사진 접근을 허용해주세요.\n\n3. ") +
           AppBrand::nameWith(KoreanParticle::Particle::toward) +
           QStringLiteral(" 돌아와 보관함을 연결하세요.");
}
const QString noQuestion = QStringLiteral(
    "‘사진 접근’ 창이 보이지 않으면 앱에서 ‘사진 접근 허용하고 연결’을 먼저 "
    "눌러주세요.");
const QString folderInstead =
    QStringLiteral("폴더의 사진만 사용한다면 ‘내 폴더 선택’으로 시작할 수 있어요.");
const QString close = QStringLiteral("안내 닫기");
}  // namespace Texts

constexpr QSize panelSize(330, 300);

}  // namespace

LumivexPhotoAccessGuide::LumivexPhotoAccessGuide(PhotoConsentPrompt& settings, RecordConsent record,
                                                 QObject* parent)
    : QObject(parent), settings_(settings), record_(std::move(record)) {
    placement_.setSingleShot(true);
    placement_.setInterval(placementDelayMilliseconds);
    connect(&placement_, &QTimer::timeout, this, &LumivexPhotoAccessGuide::place);
}

LumivexPhotoAccessGuide::~LumivexPhotoAccessGuide() = default;

void LumivexPhotoAccessGuide::makePanel() {
    panel_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    panel_->setWindowTitle(Texts::title);
    panel_->setPalette(ViewStyle::darkPalette(panel_->palette()));
    panel_->setAutoFillBackground(true);
    panel_->setFixedSize(panelSize);
    auto* layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(16);
    layout->addWidget(headingRow());
    // Made inside the panel, so that the secondary text dims its light colour.
    steps_ = ViewStyle::wrappingLabel(QString(), panel_.get());
    steps_->setObjectName(QStringLiteral("steps"));
    steps_->setFont(ViewStyle::callout());
    steps_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(steps_);
    hint_ = ViewStyle::wrappingLabel(QString(), panel_.get());
    hint_->setFont(ViewStyle::caption());
    ViewStyle::makeSecondary(hint_);
    layout->addWidget(hint_);
    layout->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* close = new QPushButton(Texts::close);
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, panel_.get(), &QWidget::close);
}

QWidget* LumivexPhotoAccessGuide::headingRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    symbol_ = ViewStyle::symbol(QStringLiteral("photo.badge.checkmark"), 15);
    heading_ = new QLabel(Texts::heading);
    heading_->setFont(ViewStyle::headline());
    for (QLabel* label : {symbol_, heading_}) {
        ViewStyle::setTextColour(label, LumivexTheme::accent());
        layout->addWidget(label);
    }
    layout->addStretch();
    return row;
}

bool LumivexPhotoAccessGuide::foldersMissing() const {
    return photos_ && photos_->authorizationStatus() == PhotoAuthorizationStatus::restricted;
}

void LumivexPhotoAccessGuide::show() {
    if (!panel_) {
        makePanel();
    }
    panel_->hide();
    const bool missing = foldersMissing();
    heading_->setText(missing ? PhotoFolderNote::heading() : Texts::heading);
    ViewStyle::setSymbol(symbol_, missing ? QStringLiteral("icloud.slash")
                                          : QStringLiteral("photo.badge.checkmark"));
    steps_->setText(missing ? PhotoFolderNote::missing(photos_->folders()) : Texts::steps());
    hint_->setText(missing ? Texts::folderInstead : Texts::noQuestion);
    // Without the folders no answer gives access: the question is not asked.
    if (!missing) {
        settings_.ask().then(this, [this](PhotoConsentAnswer answer) {
            record_(answer);
            Q_EMIT accessChanged();
        });
    }
    placement_.start();
}

void LumivexPhotoAccessGuide::place() {
    // No settings window of the system exists to stand beside: the panel takes the top right of
    // the screen, inset from both edges.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : panel_->frameGeometry();
    // The frame is known once the window is shown; the inset counts from its outer edge.
    panel_->show();
    const QSize size = panel_->frameGeometry().size();
    panel_->move(area.x() + area.width() - size.width() - screenInset, area.y() + screenInset);
    panel_->raise();
    panel_->activateWindow();
}

}  // namespace lumivex
