#include "browser/footer.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/browser_settings.h"
#include "browser/window_state.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace lumivex {

namespace {

// The other platform's words and keys, as a Linux user reads them.
const QString photosStatus = QStringLiteral("사진 보관함");
const QString mouseHint = QStringLiteral("드래그 선택 · Ctrl+클릭 추가 · Shift+클릭 범위");
const QString shortcutsHelp = QStringLiteral("단축키 · Ctrl+/");

QLabel* footerLabel(const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(BrowserFonts::system(10));
    label->setStyleSheet(QStringLiteral("color: %1").arg(color.name(QColor::HexArgb)));
    return label;
}

QPixmap dot(const QColor& color, qreal ratio) {
    QPixmap pixmap(QSize(5, 5) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, 5, 5));
    return pixmap;
}

}  // namespace

Footer::Footer(LumivexStore& store, WindowState& state, QWidget* parent)
    : StoreRegion(store, state, parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 10, 20, 10);
    row->setSpacing(8);
    progress_ = new QProgressBar(this);
    static_cast<QProgressBar*>(progress_)->setRange(0, 0);
    static_cast<QProgressBar*>(progress_)->setTextVisible(false);
    progress_->setFixedSize(12, 12);
    row->addWidget(progress_);
    dot_ = new QLabel(this);
    row->addWidget(dot_);
    status_ = footerLabel(BrowserPalette::secondaryText(), this);
    row->addWidget(status_);
    selection_ = footerLabel(BrowserPalette::secondaryText(), this);
    row->addWidget(selection_);
    deleted_ = new QToolButton(this);
    deleted_->setAutoRaise(true);
    deleted_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    deleted_->setFont(BrowserFonts::system(10));
    deleted_->setIcon(BrowserIcons::icon(QStringLiteral("clock.arrow.circlepath"),
                                         BrowserPalette::secondaryText()));
    deleted_->setToolTip(QStringLiteral("최근 삭제한 파일의 별점·분류 기록"));
    row->addWidget(deleted_);
    row->addStretch(1);
    QLabel* hint = footerLabel(BrowserPalette::tertiaryText(), this);
    hint->setText(mouseHint);
    row->addWidget(hint);
    shortcuts_ = new QToolButton(this);
    shortcuts_->setAutoRaise(true);
    shortcuts_->setIcon(
        BrowserIcons::icon(QStringLiteral("keyboard"), BrowserPalette::secondaryText()));
    shortcuts_->setToolTip(shortcutsHelp);
    shortcuts_->setAccessibleName(QStringLiteral("단축키 도움말"));
    row->addSpacing(6);
    row->addWidget(shortcuts_);
    auto* grid = new QLabel(this);
    grid->setPixmap(BrowserIcons::pixmap(QStringLiteral("square.grid.2x2"), 11,
                                         BrowserPalette::secondaryText(), devicePixelRatioF()));
    row->addSpacing(12);
    row->addWidget(grid);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(static_cast<int>(BrowserSettings::minimumCardSize),
                      static_cast<int>(BrowserSettings::maximumCardSize));
    slider_->setFixedWidth(90);
    slider_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(slider_);

    connect(deleted_, &QToolButton::clicked, this,
            [this] { state_.setUtilityPanel(LumivexUtilityPanel::deleted); });
    connect(shortcuts_, &QToolButton::clicked, this,
            [this] { state_.setUtilityPanel(LumivexUtilityPanel::shortcuts); });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (std::lround(state_.cardSize()) != value) {
            state_.setCardSize(value);
        }
    });
    connect(&state_, &WindowState::cardSizeChanged, this, &Footer::scheduleRefresh);
    for (const auto signal :
         {&LumivexStore::deletingChanged, &LumivexStore::scanningChanged,
          &LumivexStore::lockedChanged, &LumivexStore::sourceChanged,
          &LumivexStore::selectionChanged, &LumivexStore::deletedArchiveChanged}) {
        connect(&store_, signal, this, &Footer::scheduleRefresh);
    }
}

QColor Footer::statusColor() const {
    return progress_->isVisibleTo(this) ? QColor() : dotColor_;
}

void Footer::refresh() {
    const bool busy = store_.deleting() || store_.scanning();
    QString text = QStringLiteral("폴더 · CSV 자동 저장");
    dotColor_ = BrowserPalette::mint();
    if (store_.deleting()) {
        text = QStringLiteral("선택한 항목 삭제 중…");
    } else if (store_.scanning()) {
        text = QStringLiteral("파일 확인 중…");
    } else if (store_.locked()) {
        text = QStringLiteral("라이브러리 오류");
        dotColor_ = QColor(255, 149, 0);
    } else if (store_.source() == LibrarySource::none) {
        text = QStringLiteral("보관함 선택 대기");
    } else if (store_.source() == LibrarySource::photos) {
        text = photosStatus;
    }
    progress_->setVisible(busy);
    dot_->setVisible(!busy);
    dot_->setPixmap(dot(dotColor_, devicePixelRatioF()));
    status_->setText(text);
    const qsizetype selected = store_.selection().size();
    selection_->setVisible(selected > 0);
    selection_->setText(QStringLiteral("· ") + QString::number(selected) +
                        QStringLiteral("개 선택"));
    const qsizetype records = store_.deletedArchive().records.size();
    deleted_->setVisible(records > 0);
    deleted_->setText(QStringLiteral("최근 삭제 ") + QString::number(records));
    const QSignalBlocker blocker(slider_);
    slider_->setValue(static_cast<int>(std::lround(state_.cardSize())));
}

void Footer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::panel());
}

}  // namespace lumivex
