#include "media_views/lumivex_photo_access_guide.h"

#include "media_views/view_style.h"
#include "platform/photo_consent_prompt.h"
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
const QString steps = QStringLiteral(
    "1. 개인정보 보호 및 보안 → 사진을 열어요.\n\n"
    "2. Dovrin의 사진 접근을 켜주세요.\n\n"
    "3. Dovrin로 돌아와 보관함을 연결하세요.");
const QString missing =
    QStringLiteral("목록에 Dovrin가 없으면 앱에서 ‘사진 접근 허용하고 연결’을 먼저 눌러주세요.");
const QString close = QStringLiteral("안내 닫기");
}  // namespace Texts

constexpr QSize panelSize(330, 300);

QWidget* headingRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel* symbol = ViewStyle::symbol(QStringLiteral("photo.badge.checkmark"), 15);
    auto* text = new QLabel(Texts::heading);
    text->setFont(ViewStyle::headline());
    for (QLabel* label : {symbol, text}) {
        ViewStyle::setTextColour(label, LumivexTheme::accent());
        layout->addWidget(label);
    }
    layout->addStretch();
    return row;
}

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
    QLabel* steps = ViewStyle::wrappingLabel(Texts::steps, panel_.get());
    steps->setFont(ViewStyle::callout());
    layout->addWidget(steps);
    QLabel* missing = ViewStyle::wrappingLabel(Texts::missing, panel_.get());
    missing->setFont(ViewStyle::caption());
    ViewStyle::makeSecondary(missing);
    layout->addWidget(missing);
    layout->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* close = new QPushButton(Texts::close);
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, panel_.get(), &QWidget::close);
}

void LumivexPhotoAccessGuide::show() {
    if (!panel_) {
        makePanel();
    }
    panel_->hide();
    settings_.ask().then(this, [this](PhotoConsentAnswer answer) {
        record_(answer);
        Q_EMIT accessChanged();
    });
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
