#include "app/lumivex_update_view.h"

#include "app/lumivex_update_controller.h"
#include "browser/browser_icons.h"
#include "media_views/thumbnail_spinner.h"
#include "media_views/view_style.h"
#include "platform/app_brand.h"
#include "store/lumivex_theme.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// Nothing is downloaded or installed here: a new version is taken from its release page.
const QString automaticNote = QStringLiteral(
    "앱을 사용할 때 하루 한 번 확인하고, 새 버전이 있으면 알려드려요. 새 버전은 브라우저에 열리는 "
    "릴리스 페이지에서 받을 수 있어요.");
const QString keptNote =
    QStringLiteral("사진·영상과 별점·분류 기록은 업데이트 후에도 그대로 유지됩니다.");

// The symbol on a faint accent tile with rounded corners.
class IconTile final : public QWidget {
public:
    explicit IconTile(QWidget* parent) : QWidget(parent) { setFixedSize(48, 48); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor tile = LumivexTheme::accent();
        tile.setAlphaF(0.1);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 12, 12);
        painter.fillPath(path, tile);
        BrowserIcons::paint(painter, QStringLiteral("arrow.triangle.2.circlepath"),
                            QRectF(12, 12, 24, 24), LumivexTheme::accent());
    }
};

QString lastCheckedText(const Date& date) {
    const QDateTime time =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(date.secondsSince1970 * 1000.0));
    const QLocale locale;
    return QStringLiteral("마지막 확인: ") + locale.toString(time.date(), QLocale::ShortFormat) +
           QLatin1Char(' ') + locale.toString(time.time(), QLocale::ShortFormat);
}

QLabel* secondaryLine(const QString& text, const QFont& font, QWidget* parent) {
    QLabel* label = ViewStyle::wrappingLabel(text, parent);
    label->setFont(font);
    ViewStyle::makeSecondary(label);
    return label;
}

}  // namespace

LumivexUpdateView::LumivexUpdateView(LumivexUpdateController& updates, QWidget* parent)
    : QWidget(parent), updates_(updates) {
    setPalette(ViewStyle::darkPalette(palette()));
    setAutoFillBackground(false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(22);
    column->addWidget(makeHeader());
    column->addWidget(makeStatusRow());
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFixedHeight(1);
    divider->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 28); border: none;"));
    column->addWidget(divider);
    column->addWidget(makeAutomaticChecks());
    column->addWidget(secondaryLine(keptNote, ViewStyle::caption(), this));
    column->addWidget(makeButtons());
    column->addStretch(1);
    for (auto signal :
         {&LumivexUpdateController::automaticallyChecksChanged,
          &LumivexUpdateController::isCheckingChanged,
          &LumivexUpdateController::availableReleaseChanged,
          &LumivexUpdateController::statusChanged, &LumivexUpdateController::lastCheckedChanged}) {
        connect(&updates_, signal, this, &LumivexUpdateView::sync);
    }
    sync();
}

QWidget* LumivexUpdateView::makeHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    row->addWidget(new IconTile(header), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(5);
    auto* title = new QLabel(QStringLiteral("Dovrin 업데이트"), header);
    title->setFont(ViewStyle::systemFont(21, QFont::DemiBold));
    titles->addWidget(title);
    titles->addWidget(secondaryLine(QStringLiteral("현재 버전 v") + AppBrand::version(),
                                    ViewStyle::systemFont(11), header));
    row->addLayout(titles, 1);
    return header;
}

QWidget* LumivexUpdateView::makeStatusRow() {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    spinner_ = new ThumbnailSpinner(holder);
    row->addWidget(spinner_, 0, Qt::AlignTop);
    status_ = ViewStyle::wrappingLabel({}, holder);
    status_->setObjectName(QStringLiteral("update-status"));
    status_->setFont(ViewStyle::callout());
    row->addWidget(status_, 1, Qt::AlignTop);
    return holder;
}

QWidget* LumivexUpdateView::makeAutomaticChecks() {
    auto* holder = new QWidget(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    automatic_ = new QCheckBox(QStringLiteral("새 버전 자동 알림"), holder);
    automatic_->setObjectName(QStringLiteral("automatic-updates"));
    QPalette tinted = automatic_->palette();
    tinted.setColor(QPalette::Highlight, LumivexTheme::accent());
    automatic_->setPalette(tinted);
    connect(automatic_, &QCheckBox::clicked, this,
            [this](bool on) { updates_.setAutomaticChecks(on); });
    column->addWidget(automatic_);
    column->addWidget(secondaryLine(automaticNote, ViewStyle::caption(), holder));
    lastChecked_ = secondaryLine({}, ViewStyle::caption(), holder);
    column->addWidget(lastChecked_);
    return holder;
}

QWidget* LumivexUpdateView::makeButtons() {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    releases_ = new QPushButton(QStringLiteral("릴리스 보기"), holder);
    connect(releases_, &QPushButton::clicked, this, [this] { updates_.openRelease(); });
    row->addWidget(releases_);
    row->addStretch(1);
    action_ = new QPushButton(holder);
    ViewStyle::makeProminent(action_);
    connect(action_, &QPushButton::clicked, this, &LumivexUpdateView::actionPressed);
    row->addWidget(action_);
    return holder;
}

void LumivexUpdateView::actionPressed() {
    if (updates_.availableRelease()) {
        updates_.installUpdate();
    } else {
        updates_.check(true);
    }
}

void LumivexUpdateView::sync() {
    spinner_->setVisible(updates_.isChecking());
    status_->setText(updates_.status());
    automatic_->setChecked(updates_.automaticallyChecks());
    lastChecked_->setVisible(updates_.lastChecked().has_value());
    if (updates_.lastChecked()) {
        lastChecked_->setText(lastCheckedText(*updates_.lastChecked()));
    }
    if (updates_.availableRelease()) {
        action_->setText(QStringLiteral("다운로드 페이지 열기"));
        action_->setEnabled(true);
    } else {
        action_->setText(updates_.isChecking() ? QStringLiteral("확인 중…")
                                               : QStringLiteral("지금 확인"));
        action_->setEnabled(!updates_.isChecking());
    }
}

void LumivexUpdateView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), LumivexTheme::panel());
}

}  // namespace lumivex
