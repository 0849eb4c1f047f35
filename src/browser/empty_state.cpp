#include "browser/empty_state.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "store/lumivex_store.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// The texts of the other platform's words, as a Linux user reads them.
const QString photoLibraryName = QStringLiteral("사진 보관함");

QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: %1").arg(color.name(QColor::HexArgb)));
    return label;
}

QString buttonSheet(EmptyState::ButtonStyle style) {
    switch (style) {
        case EmptyState::ButtonStyle::prominent:
            return QStringLiteral(
                       "QPushButton { background: %1; color: #10201a; border: none;"
                       " border-radius: 6px; padding: 6px 14px; }")
                .arg(BrowserPalette::mint().name());
        case EmptyState::ButtonStyle::bordered:
            return QStringLiteral(
                       "QPushButton { background: %1; color: %2; border: none;"
                       " border-radius: 6px; padding: 6px 14px; }")
                .arg(BrowserPalette::white(0.1).name(QColor::HexArgb),
                     BrowserPalette::primaryText().name(QColor::HexArgb));
        case EmptyState::ButtonStyle::plain:
            break;
    }
    return {};
}

void resetQuery(LumivexStore& store) {
    store.setQuery(MediaQuery());
}

}  // namespace

EmptyState::EmptyState(const QString& icon, const QString& title, const QString& detail,
                       QWidget* parent)
    : QWidget(parent), icon_(icon), title_(title), detail_(detail) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    column->addStretch(1);
    auto* symbol = new QLabel(this);
    symbol->setPixmap(
        BrowserIcons::pixmap(icon, 46, BrowserPalette::mint(0.75), devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    symbol->setContentsMargins(0, 0, 0, 4);
    column->addWidget(symbol);
    column->addWidget(
        label(title, BrowserFonts::system(20, QFont::Medium), BrowserPalette::primaryText(), this));
    QLabel* explanation =
        label(detail, BrowserFonts::system(12), BrowserPalette::secondaryText(), this);
    explanation->setText(
        QStringLiteral("<div style=\"line-height: 150%\">%1</div>")
            .arg(detail.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    explanation->setAccessibleName(detail);
    column->addWidget(explanation);
    actions_ = new QVBoxLayout;
    actions_->setSpacing(8);
    actions_->setContentsMargins(0, 8, 0, 0);
    actions_->setAlignment(Qt::AlignHCenter);
    column->addLayout(actions_);
    column->addStretch(1);
}

QPushButton* EmptyState::addButton(const QString& title, const QString& symbol, ButtonStyle style,
                                   std::function<void()> action) {
    auto* button = new QPushButton(title, this);
    if (!symbol.isEmpty()) {
        const QColor color = style == ButtonStyle::prominent ? QColor(0x10, 0x20, 0x1a)
                                                             : BrowserPalette::primaryText();
        button->setIcon(BrowserIcons::icon(symbol, color));
    }
    button->setFont(BrowserFonts::system(13));
    button->setStyleSheet(buttonSheet(style));
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, std::move(action));
    actions_->addWidget(button, 0, Qt::AlignHCenter);
    return button;
}

void EmptyState::addProgress() {
    auto* progress = new QProgressBar(this);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedSize(160, 6);
    actions_->addWidget(progress, 0, Qt::AlignHCenter);
}

BrowserContent browserContent(LumivexStore& store) {
    const bool emptySnapshot = store.browseSnapshot().items.isEmpty();
    if (store.locked()) {
        return BrowserContent::error;
    }
    if (emptySnapshot && store.scanning()) {
        return BrowserContent::loading;
    }
    if (store.needsPhotosSetup()) {
        return BrowserContent::photosAccess;
    }
    if (store.source() == LibrarySource::none) {
        return BrowserContent::noLibrary;
    }
    if (emptySnapshot) {
        return store.source() == LibrarySource::photos ? BrowserContent::photosEmpty
                                                       : BrowserContent::emptyFolder;
    }
    return store.visiblePositions().isEmpty() ? BrowserContent::noMatch : BrowserContent::grid;
}

BrowserContent loadingContent(const LumivexStore& store) {
    if (store.locked()) {
        return BrowserContent::error;
    }
    if (store.scanning()) {
        return BrowserContent::loading;
    }
    if (store.needsPhotosSetup()) {
        return BrowserContent::photosAccess;
    }
    return store.source() == LibrarySource::none ? BrowserContent::noLibrary
                                                 : BrowserContent::loading;
}

EmptyState* makeEmptyState(BrowserContent content, LumivexStore& store, QWidget* parent) {
    using Style = EmptyState::ButtonStyle;
    LumivexStore* s = &store;
    EmptyState* state = nullptr;
    switch (content) {
        case BrowserContent::error:
            state = new EmptyState(
                QStringLiteral("exclamationmark.folder"),
                QStringLiteral("라이브러리를 열 수 없습니다"),
                QStringLiteral("분류 정보나 폴더 접근 권한을 확인한 뒤 다시 열어주세요."), parent);
            state->addButton(QStringLiteral("다른 라이브러리 열기…"), {}, Style::plain,
                             [s] { s->chooseLibrary(); });
            break;
        case BrowserContent::loading:
            state = new EmptyState(QStringLiteral("arrow.triangle.2.circlepath"),
                                   QStringLiteral("미디어 목록을 불러오는 중"),
                                   store.source() == LibrarySource::photos
                                       ? photoLibraryName + QStringLiteral("에 연결하고 있습니다.")
                                       : QStringLiteral("폴더의 사진·영상을 확인하고 있습니다."),
                                   parent);
            state->addProgress();
            break;
        case BrowserContent::photosAccess:
            state = new EmptyState(
                QStringLiteral("icloud"), photoLibraryName + QStringLiteral(" 연결을 확인해주세요"),
                QStringLiteral("사진 접근을 허용하면 기존 보관함과 분류를 다시 불러옵니다."),
                parent);
            state->addButton(QStringLiteral("연결 설정"), {}, Style::prominent,
                             [s] { s->choosePhotosSource(); });
            break;
        case BrowserContent::noLibrary:
            state = new EmptyState(
                QStringLiteral("photo.on.rectangle.angled"),
                QStringLiteral("어디에서 사진을 불러올까요?"),
                photoLibraryName +
                    QStringLiteral("이나 원하는 폴더를 선택하세요.\n"
                                   "사진과 영상을 옮길 필요 없이 바로 분류할 수 있습니다.\n"
                                   "사진 권한은 보관함을 연결할 때만 요청합니다."),
                parent);
            state->addButton(photoLibraryName, QStringLiteral("icloud"), Style::prominent,
                             [s] { s->choosePhotosSource(); });
            state->addButton(QStringLiteral("내 폴더 선택…"), QStringLiteral("folder"),
                             Style::bordered, [s] { s->chooseLibrary(); });
            break;
        case BrowserContent::photosEmpty:
            state = new EmptyState(
                QStringLiteral("photo.stack"), QStringLiteral("접근 가능한 사진이 없습니다"),
                QStringLiteral("사진 접근 권한과 보관함을 확인해주세요."), parent);
            state->addButton(QStringLiteral("연결 설정"), {}, Style::plain,
                             [s] { s->setShowPhotosSetup(true); });
            break;
        case BrowserContent::emptyFolder:
            state = new EmptyState(
                QStringLiteral("folder"), QStringLiteral("이 폴더에는 사진·영상이 없습니다"),
                QStringLiteral(
                    "하위폴더까지 확인했습니다.\n미디어를 넣거나 다른 폴더를 선택하세요."),
                parent);
            state->addButton(QStringLiteral("선택한 폴더 열기"), QStringLiteral("folder"),
                             Style::bordered, [s] { s->showFiles(); });
            state->addButton(QStringLiteral("다른 폴더 선택…"), QStringLiteral("folder.badge.plus"),
                             Style::prominent, [s] { s->chooseLibrary(); });
            break;
        case BrowserContent::noMatch:
        case BrowserContent::grid:
            state = new EmptyState(QStringLiteral("line.3.horizontal.decrease.circle"),
                                   QStringLiteral("조건에 맞는 파일이 없습니다"),
                                   QStringLiteral("검색어나 필터를 바꿔보세요."), parent);
            state->addButton(QStringLiteral("필터 초기화"), {}, Style::plain,
                             [s] { resetQuery(*s); });
            break;
    }
    return state;
}

}  // namespace lumivex
